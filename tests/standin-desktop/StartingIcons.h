// The icons a stand-in starts with, from its command line (names in UTF-8):
//   --layout "name;x;y;name;x;y;..."   layout text; names cannot hold ';'
//   --file PATH                        one icon a line: x TAB y TAB name (the rest of the line,
//                                      so names may hold ';' and tabs), UTF-8; blank lines are
//                                      skipped
// Both may be given, and repeated; icons are taken in the order given.
#pragma once

#include "StandinProtocol.h"

#include <string>
#include <vector>

// Appends the complete name;x;y; triples of text; a trailing incomplete triple is dropped.
void ParseLayoutText(const char* text, std::vector<standin::Icon>* icons);
// False when the file cannot be read or a non-blank line is not x TAB y TAB name.
bool ReadIconFile(const char* path, std::vector<standin::Icon>* icons);
// False, with a message in error, when an argument is unknown or a file fails.
bool ReadStartingIcons(const std::vector<std::string>& arguments, std::vector<standin::Icon>* icons,
                       std::string* error);

// Where a contract test's settings file lives and how the program's error boxes are seen: on the
// host, a scratch folder and the host simulation's record of boxes; under Wine, the folder of the
// test executable and real message boxes, read by their text and dismissed.
#pragma once

#include "platform/win32.h"

#include <string>
#include <vector>

namespace testsettings {

// The settings file the next CDesktopLayout will use, removed (file or folder) beforehand. The
// Run keys exist and hold no value of ours.
std::string PrepareSettingsFile();
// The texts of the "Error" boxes shown since the last call, oldest first; each box was answered.
std::vector<std::string> TakeErrorBoxes();

// The Run value "Quillmarsh" of one key, written and read as text through the ANSI calls; "" when
// there is none.
void SetRunValue(HKEY root, const std::string& data);
std::string RunValue(HKEY root);
// The full path of a program file that exists and is not this one.
std::string OtherProgramFile();

} // namespace testsettings

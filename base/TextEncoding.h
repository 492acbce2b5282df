// Text inside the program is UTF-8. The desktop's names arrive as UTF-16, and files and layouts
// written before the program kept names in UTF-8 hold the system's ANSI code page; these are the
// only conversions between the three.
#pragma once

#include "platform/win32.h"

#include <cstddef>

// True when the length bytes are well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing past U+10FFFF. Plain ASCII always is.
bool IsUtf8(const char* text, size_t length);
// The same text but for the case of ASCII letters.
bool EqualIgnoringAsciiCase(const char* first, const char* second);

// True when every surrogate of the units stands in a pair, a high one before a low one: the text
// is well-formed UTF-16.
bool IsUtf16(const WCHAR* text, size_t units);
// True for the first unit of a surrogate pair.
bool IsHighSurrogate(WCHAR unit);

// Each writes a NUL-terminated result into output (size bytes or units, terminator included) and
// returns its length without the terminator. A result that does not fit, or text that cannot be
// converted, gives "" and 0. An empty source gives "" and 0 as well.
size_t Utf16ToUtf8(const WCHAR* text, size_t units, char* output, size_t size);
size_t Utf8ToUtf16(const char* text, size_t length, WCHAR* output, size_t units);
size_t AnsiToUtf8(const char* text, size_t length, char* output, size_t size);
// With the system's best fit ("Ł" becomes "L", a character it cannot show "?"), as a list view's
// ANSI request converts an item's name.
size_t Utf8ToAnsi(const char* text, size_t length, char* output, size_t size);

// The bytes of the character that starts text (length > 0 bytes at hand), with its UTF-16 units in
// units: a well-formed UTF-8 sequence, or else its first byte alone, which starts none and which
// the system reads as one replacement character. A sequence never holds an ASCII byte, so ";", "\"
// and NUL are always characters of their own.
size_t Utf8CharacterAt(const char* text, size_t length, size_t* units);

// The bytes of the longest start of a UTF-8 text that holds at most maxUnits UTF-16 units and ends
// between two characters: a cut there never leaves half a character or half a surrogate pair.
// Bytes that are not UTF-8 (a name in the ANSI code page) count one character each, so text that
// fits is never cut.
size_t Utf8PrefixWithin(const char* text, size_t length, size_t maxUnits);
// The same within maxBytes bytes as well, for a buffer of maxBytes + 1: a character that would not
// fit whole is left out.
size_t Utf8PrefixWithinBytes(const char* text, size_t length, size_t maxUnits, size_t maxBytes);

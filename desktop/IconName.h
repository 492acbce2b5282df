// How long an icon's name can be: the list view gives at most kIconNameUnits UTF-16 units of it,
// and the program holds it in UTF-8.
#pragma once

#include "base/TextEncoding.h"
#include "platform/win32.h"

#include <cstddef>

enum {
    kIconNameUnits = 255,
    // Three bytes a unit at most: a character outside the basic plane takes four bytes for its two
    // units. The last byte is the terminator.
    kIconNameBytes = 3 * kIconNameUnits + 1,
};

// The name in text (up to its NUL or available units) into name (kIconNameBytes), cut after
// kIconNameUnits units as the list view cuts it, and never inside a surrogate pair. False when it
// is not UTF-16.
inline bool IconNameFromUtf16(const WCHAR* text, size_t available, char* name) {
    name[0] = '\0';
    size_t units = 0;
    while (units < available && units < kIconNameUnits && text[units] != 0) {
        units++;
    }
    if (units == kIconNameUnits && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) {
        units--;
    }
    return units == 0 || Utf16ToUtf8(text, units, name, kIconNameBytes) > 0;
}

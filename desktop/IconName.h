// How long an icon's name can be: the list view gives at most kIconNameUnits UTF-16 units of it,
// and the program holds it in UTF-8.
#pragma once

enum {
    kIconNameUnits = 255,
    // Three bytes a unit at most: a character outside the basic plane takes four bytes for its two
    // units. The last byte is the terminator.
    kIconNameBytes = 3 * kIconNameUnits + 1,
};

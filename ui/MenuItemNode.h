// One item of an owner-drawn menu, attached to the item as its item data.
#pragma once

#include "platform/win32.h"

// Capacities in UTF-16 units.
enum {
    kMenuTextChars = 96,
    kMenuShortcutChars = 32,
    // Units kept of the text after a TAB.
    kMenuShortcutKept = 30,
};

struct MenuItemNode {
    HMENU hParentMenu;
    int position;
    // The submenu the item opens; in the root, the menu itself.
    HMENU hSubMenu;
    int subItemCount;
    // First node of the chain built from hSubMenu.
    MenuItemNode* child;
    UINT id;
    // Item text before the first TAB, and what follows the TAB, in UTF-16 (a menu can hold names
    // in any script); a cut falls between characters, never inside a surrogate pair. The lengths
    // count UTF-16 units.
    WCHAR text[kMenuTextChars];
    WCHAR shortcut[kMenuShortcutChars];
    int textLength;
    int shortcutLength;
    // Index into the image strip; -1 for none.
    int image;
    // 1 for an item of the menu itself (a menu-bar item).
    int topLevel;
    UINT separator;
    UINT radio;
    MenuItemNode* next;
};

// The one place where the shell route's coordinates meet the list view's. Layout text holds the
// list view's item positions (LVM_GETITEMPOSITION); the shell route reads and writes the folder
// view's (IFolderView::GetItemPosition, SelectAndPositionItems). Both are the item's position in
// the client area of the desktop's list view, so a layout saved through either route restores
// through the other; should a shell ever place them apart, the conversion belongs here alone.
#pragma once

#include "platform/win32.h"

inline POINT ListViewPointOfShellPoint(POINT shellPoint) {
    return shellPoint;
}

inline POINT ShellPointOfListViewPoint(int x, int y) {
    POINT shellPoint;
    shellPoint.x = x;
    shellPoint.y = y;
    return shellPoint;
}

// Puts the icons named in a layout text back where the text places them.
#include "desktop/DesktopLayout.h"

#include <cstring>

namespace {

LayoutEntry* FindEntry(const CPtrList& entries, const char* name) {
    for (PtrListNode* node = entries.head; node; node = node->next) {
        LayoutEntry* entry = static_cast<LayoutEntry*>(node->data);
        if (strcmp(entry->name, name) == 0)
            return entry;
    }
    return nullptr;
}

} // namespace

// Moving one icon can make the list view shift others, so passes repeat while the last one moved
// something, up to kMaxApplyPasses.
int CDesktopLayout::ApplyLayout(const char* text) {
    listViewLost = 0;
    int totalMoves = 0;
    for (int pass = 0; pass < kMaxApplyPasses; pass++) {
        int moves = RunApplyPass(text);
        totalMoves += moves;
        if (moves == 0 || listViewLost)
            break;
    }
    return totalMoves > 0 ? 1 : 0;
}

// Each entry serves at most one icon, so icons that share a name take the entries of that name in
// order. Returns the number of moves sent.
int CDesktopLayout::RunApplyPass(const char* text) {
    HWND listView = FindDesktopListView();
    if (!BeginListViewAccess(listView))
        return 0;
    CPtrList entries;
    ParseLayout(text, &entries);

    int moves = 0;
    char name[kIconNameBytes];
    memset(name, 0, sizeof name);
    int count = GetItemCount(listView);
    for (int item = 0; item < count && !listViewLost; item++) {
        if (!ReadItemText(listView, item, name))
            continue;
        LayoutEntry* entry = FindEntry(entries, name);
        if (!entry)
            continue;
        POINT position;
        if (ReadItemPosition(listView, item, &position) &&
            (position.x != entry->x || position.y != entry->y) &&
            MoveItem(listView, item, entry->x, entry->y))
            moves++;
        entries.RemoveAt(entries.IndexOf(entry));
        delete entry;
    }
    FreeLayoutEntries(&entries);
    return moves;
}

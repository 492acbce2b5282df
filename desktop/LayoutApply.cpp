// Puts the icons named in a layout text back where the text places them.
#include "desktop/DesktopLayout.h"
#include "desktop/IconMatcher.h"

#include <cstring>
#include <new>

// Moving one icon can make the list view shift others, so passes repeat while the last one moved
// something, up to kMaxApplyPasses. The text is parsed once for them all.
int CDesktopLayout::ApplyThroughListView(const char* text) {
    listViewLost = 0;
    CPtrList entries;
    ParseLayout(text, &entries);
    int totalMoves = 0;
    for (int pass = 0; pass < kMaxApplyPasses; pass++) {
        int moves = RunApplyPass(entries);
        totalMoves += moves;
        if (moves == 0 || listViewLost) {
            break;
        }
    }
    FreeLayoutEntries(&entries);
    return totalMoves > 0 ? 1 : 0;
}

// Every name is read and matched (CIconMatcher), then each matched icon that stands elsewhere is
// moved, in the matches' order. Returns the number of moves sent.
int CDesktopLayout::RunApplyPass(const CPtrList& entries) {
    HWND listView = FindDesktopListView();
    if (!BeginListViewAccess(listView)) {
        return 0;
    }
    CIconMatcher matcher(entries);
    char name[kIconNameBytes];
    memset(name, 0, sizeof name);
    int count = GetItemCount(listView);
    for (int item = 0; item < count && !listViewLost; item++) {
        if (ReadItemText(listView, item, name)) {
            matcher.Offer(item, name);
        }
    }
    matcher.MatchAnsiForms();
    int moves = 0;
    for (PtrListNode* node = matcher.Matches().head; node && !listViewLost; node = node->next) {
        const ItemMatch* match = static_cast<const ItemMatch*>(node->data);
        moves += MoveToEntry(listView, match->item, *match->entry);
    }
    return moves;
}

// Whether moved or not, the entry is used up; an icon already in place sends no move.
int CDesktopLayout::MoveToEntry(HWND listView, int item, const LayoutEntry& entry) {
    POINT position;
    return ReadItemPosition(listView, item, &position) &&
                   (position.x != entry.x || position.y != entry.y) &&
                   MoveItem(listView, item, entry.x, entry.y)
               ? 1
               : 0;
}

// One pass of an apply through the shell: every name is read, matched as a list-view pass matches
// it, and every matched icon that stands elsewhere is placed in one call. 0 when a call failed.
int CDesktopLayout::RunShellApplyPass(const CPtrList& entries, int* moves) {
    *moves = 0;
    int count = 0;
    if (!CountShellItems(&count)) {
        return 0;
    }
    CIconMatcher matcher(entries);
    char name[kIconNameBytes];
    for (int item = 0; item < count; item++) {
        if (!ShellSucceeded(shellWorker->ReadName(item, name)) || !matcher.Offer(item, name)) {
            return 0;
        }
    }
    matcher.MatchAnsiForms();
    return PlaceMatches(matcher.Matches(), moves);
}

// Reads where each matched icon stands and places, in one call, those that stand elsewhere.
// 0 when a call failed.
int CDesktopLayout::PlaceMatches(const CPtrList& matches, int* moves) {
    int total = matches.count;
    if (total == 0) {
        return 1;
    }
    CHeapArray<int> itemArray(new (std::nothrow) int[total]);
    CHeapArray<POINT> pointArray(new (std::nothrow) POINT[total]);
    int* items = itemArray.Get();
    POINT* points = pointArray.Get();
    int ok = items && points;
    int placing = 0;
    for (PtrListNode* node = matches.head; node && ok; node = node->next) {
        const ItemMatch* match = static_cast<const ItemMatch*>(node->data);
        POINT shellPoint;
        ok = ShellSucceeded(shellWorker->ReadPosition(match->item, &shellPoint));
        POINT standing = ListViewPointOfShellPoint(shellPoint, shellCoordinates);
        if (!ok || (standing.x == match->entry->x && standing.y == match->entry->y)) {
            continue;
        }
        items[placing] = match->item;
        points[placing] =
            ShellPointOfListViewPoint(match->entry->x, match->entry->y, shellCoordinates);
        placing++;
    }
    if (ok && placing > 0) {
        HRESULT hr = shellWorker->Place(placing, items, points);
        // A view that does not place at all has moved nothing.
        if (hr != E_NOTIMPL) {
            shellPlaced = 1;
        }
        ok = ShellSucceeded(hr);
        if (ok) {
            *moves = placing;
        }
    }
    return ok;
}

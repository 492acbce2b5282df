// Puts the icons named in a layout text back where the text places them.
#include "desktop/DesktopLayout.h"
#include "base/TextEncoding.h"

#include <cstring>
#include <new>

namespace {

// An icon that no entry named exactly, kept for the match by its ANSI form.
struct UnmatchedIcon {
    int item;
    char name[kIconNameBytes];
};

// An icon and the entry it took.
struct ItemMatch {
    int item;
    LayoutEntry* entry;
};

// The first entry that holds name (or, when given, otherName), and its index in the list.
LayoutEntry* FindEntry(const CPtrList& entries, const char* name, int* index = nullptr,
                       const char* otherName = nullptr) {
    int at = 0;
    for (PtrListNode* node = entries.head; node; node = node->next, at++) {
        LayoutEntry* entry = static_cast<LayoutEntry*>(node->data);
        if (strcmp(entry->name, name) == 0 || (otherName && strcmp(entry->name, otherName) == 0)) {
            if (index) {
                *index = at;
            }
            return entry;
        }
    }
    return nullptr;
}

// Takes the first entry that holds name (or otherName) out of entries; null when there is none.
LayoutEntry* TakeEntry(CPtrList* entries, const char* name, const char* otherName = nullptr) {
    int index = 0;
    LayoutEntry* entry = FindEntry(*entries, name, &index, otherName);
    if (entry) {
        entries->RemoveAt(index);
    }
    return entry;
}

void KeepUnmatched(CPtrList* unmatched, int item, const char* name) {
    UnmatchedIcon* icon = new (std::nothrow) UnmatchedIcon;
    if (!icon) {
        return;
    }
    icon->item = item;
    memcpy(icon->name, name, strlen(name) + 1);
    if (!unmatched->Append(icon)) {
        delete icon;
    }
}

void FreeUnmatched(CPtrList* unmatched) {
    for (PtrListNode* node = unmatched->head; node; node = node->next) {
        delete static_cast<UnmatchedIcon*>(node->data);
    }
    unmatched->Clear();
}

// False when memory ran out: the icon then keeps its place.
bool KeepMatch(CPtrList* matches, int item, LayoutEntry* entry) {
    ItemMatch* match = new (std::nothrow) ItemMatch;
    if (!match) {
        return false;
    }
    match->item = item;
    match->entry = entry;
    if (matches->Append(match)) {
        return true;
    }
    delete match;
    return false;
}

// The matches own their entries.
void FreeMatches(CPtrList* matches) {
    for (PtrListNode* node = matches->head; node; node = node->next) {
        ItemMatch* match = static_cast<ItemMatch*>(node->data);
        delete match->entry;
        delete match;
    }
    matches->Clear();
}

// Entries whose name an icon took exactly are left over because more entries than icons bear it;
// they stay unused, and only entries that name no icon on the desktop are left.
// Each entry goes round from the head to the tail once, so the list keeps its order.
void DropEntriesOfTakenNames(CPtrList* entries, const CPtrList& taken) {
    for (int remaining = entries->count; remaining > 0; remaining--) {
        LayoutEntry* entry = static_cast<LayoutEntry*>(entries->head->data);
        entries->RemoveFirst();
        if (FindEntry(taken, entry->name) || !entries->Append(entry)) {
            delete entry;
        }
    }
}

bool IsAscii(const char* text) {
    for (; *text != '\0'; text++) {
        if (static_cast<unsigned char>(*text) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The name as the list view's ANSI request gave it, and as layouts stored before names were UTF-8
// hold it: the system's code page with its best fit, at most kIconNameUnits bytes read back. A
// settings file reads such a layout's lines into UTF-8, so the form is held in both.
struct AnsiForm {
    char bytes[kIconNameBytes];
    char inUtf8[kIconNameBytes];
};

bool AnsiFormOf(const char* name, AnsiForm* form) {
    if (Utf8ToAnsi(name, strlen(name), form->bytes, sizeof form->bytes) == 0) {
        return false;
    }
    form->bytes[kIconNameUnits] = '\0';
    if (AnsiToUtf8(form->bytes, strlen(form->bytes), form->inUtf8, sizeof form->inUtf8) == 0) {
        memcpy(form->inUtf8, form->bytes, sizeof form->inUtf8);
    }
    return true;
}

// Layouts stored before names were UTF-8 hold each name as the ANSI request gave it: "Łódź.txt" as
// "Lódz.txt", "日本語.txt" and "中文字.txt" both as "???.txt". An entry that names no icon on the
// desktop goes to an icon whose ANSI form it holds, in the code page's bytes or read into UTF-8, as
// long as that icon's own name is named by no entry: an exact name always wins. Icons that share an
// ANSI form take its entries in item order, as they did when the ANSI form was all there was.
// Each match, in item order, goes to matches with its entry.
void MatchAnsiForms(CPtrList* entries, const CPtrList& taken, const CPtrList& unmatched,
                    CPtrList* matches) {
    if (unmatched.count == 0) {
        return;
    }
    DropEntriesOfTakenNames(entries, taken);
    for (PtrListNode* node = unmatched.head; node && entries->count > 0; node = node->next) {
        const UnmatchedIcon* icon = static_cast<const UnmatchedIcon*>(node->data);
        if (FindEntry(taken, icon->name)) {
            continue;
        }
        AnsiForm ansi;
        if (!AnsiFormOf(icon->name, &ansi)) {
            continue;
        }
        LayoutEntry* entry = TakeEntry(entries, ansi.bytes, ansi.inUtf8);
        if (entry && !KeepMatch(matches, icon->item, entry)) {
            delete entry;
        }
    }
}

} // namespace

// Moving one icon can make the list view shift others, so passes repeat while the last one moved
// something, up to kMaxApplyPasses.
int CDesktopLayout::ApplyThroughListView(const char* text) {
    listViewLost = 0;
    int totalMoves = 0;
    for (int pass = 0; pass < kMaxApplyPasses; pass++) {
        int moves = RunApplyPass(text);
        totalMoves += moves;
        if (moves == 0 || listViewLost) {
            break;
        }
    }
    return totalMoves > 0 ? 1 : 0;
}

// Each entry serves at most one icon, so icons that share a name take the entries of that name in
// order. Entries that no icon's name took are then matched by the icons' ANSI forms (see
// MatchAnsiForms). Returns the number of moves sent.
int CDesktopLayout::RunApplyPass(const char* text) {
    HWND listView = FindDesktopListView();
    if (!BeginListViewAccess(listView)) {
        return 0;
    }
    CPtrList entries;
    CPtrList taken;
    CPtrList unmatched;
    ParseLayout(text, &entries);

    int moves = 0;
    char name[kIconNameBytes];
    memset(name, 0, sizeof name);
    int count = GetItemCount(listView);
    for (int item = 0; item < count && !listViewLost; item++) {
        if (!ReadItemText(listView, item, name)) {
            continue;
        }
        LayoutEntry* entry = TakeEntry(&entries, name);
        // An ASCII name is its own ANSI form, which no entry left can hold: only other names are
        // kept for MatchAnsiForms.
        if (!entry) {
            if (entries.count > 0 && !IsAscii(name)) {
                KeepUnmatched(&unmatched, item, name);
            }
            continue;
        }
        moves += MoveToEntry(listView, item, *entry);
        if (!taken.Append(entry)) {
            delete entry;
        }
    }
    moves += MoveAnsiMatches(listView, &entries, taken, unmatched);
    FreeUnmatched(&unmatched);
    FreeLayoutEntries(&taken);
    FreeLayoutEntries(&entries);
    return moves;
}

// The icons that took entries by their ANSI forms (see MatchAnsiForms), moved in item order.
// Returns the number of moves sent.
int CDesktopLayout::MoveAnsiMatches(HWND listView, CPtrList* entries, const CPtrList& taken,
                                    const CPtrList& unmatched) {
    CPtrList matches;
    MatchAnsiForms(entries, taken, unmatched, &matches);
    int moves = 0;
    for (PtrListNode* node = matches.head; node && !listViewLost; node = node->next) {
        const ItemMatch* match = static_cast<const ItemMatch*>(node->data);
        moves += MoveToEntry(listView, match->item, *match->entry);
    }
    FreeMatches(&matches);
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
int CDesktopLayout::RunShellApplyPass(const char* text, int* moves) {
    *moves = 0;
    int count = 0;
    if (!CountShellItems(&count)) {
        return 0;
    }
    CPtrList entries;
    CPtrList taken;
    CPtrList unmatched;
    CPtrList matches;
    ParseLayout(text, &entries);
    char name[kIconNameBytes];
    int read = 1;
    for (int item = 0; item < count && read; item++) {
        read = ShellSucceeded(shellWorker->ReadName(item, name));
        LayoutEntry* entry = read ? TakeEntry(&entries, name) : nullptr;
        if (!entry) {
            if (read && entries.count > 0 && !IsAscii(name)) {
                KeepUnmatched(&unmatched, item, name);
            }
            continue;
        }
        if (!taken.Append(entry)) {
            delete entry;
            read = 0;
        } else if (!KeepMatch(&matches, item, entry)) {
            read = 0;
        }
    }
    // The exact matches' entries belong to taken; the ANSI forms' to their matches.
    int placed = 0;
    if (read) {
        CPtrList ansiMatches;
        MatchAnsiForms(&entries, taken, unmatched, &ansiMatches);
        placed = PlaceMatches(matches, ansiMatches, moves);
        FreeMatches(&ansiMatches);
    }
    for (PtrListNode* node = matches.head; node; node = node->next) {
        delete static_cast<ItemMatch*>(node->data);
    }
    matches.Clear();
    FreeUnmatched(&unmatched);
    FreeLayoutEntries(&taken);
    FreeLayoutEntries(&entries);
    return read && placed;
}

// Reads where each matched icon stands and places, in one call, those that stand elsewhere.
// 0 when a call failed.
int CDesktopLayout::PlaceMatches(const CPtrList& exact, const CPtrList& ansi, int* moves) {
    int total = exact.count + ansi.count;
    if (total == 0) {
        return 1;
    }
    int* items = new (std::nothrow) int[total];
    POINT* points = new (std::nothrow) POINT[total];
    int ok = items && points;
    int placing = 0;
    const CPtrList* lists[] = {&exact, &ansi};
    for (const CPtrList* list : lists) {
        for (PtrListNode* node = list->head; node && ok; node = node->next) {
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
    delete[] items;
    delete[] points;
    return ok;
}

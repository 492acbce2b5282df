// The matching of names to entries, exact names first, then the ANSI forms of older layouts.
#include "desktop/IconMatcher.h"
#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"

#include <cstring>
#include <new>

namespace {

// An icon that no entry named exactly, kept for the match by its ANSI form.
struct UnmatchedIcon {
    int item;
    char name[kIconNameBytes];
};

const LayoutEntry* EntryOf(const PtrListNode* node) {
    return static_cast<const LayoutEntry*>(node->data);
}

bool Names(const LayoutEntry& entry, const char* name, const char* otherName) {
    return strcmp(entry.name, name) == 0 || (otherName && strcmp(entry.name, otherName) == 0);
}

bool ListNames(const CPtrList& list, const char* name) {
    for (PtrListNode* node = list.head; node; node = node->next) {
        if (Names(*EntryOf(node), name, nullptr)) {
            return true;
        }
    }
    return false;
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

template <typename T> void FreeRecords(CPtrList* list) {
    for (PtrListNode* node = list->head; node; node = node->next) {
        delete static_cast<T*>(node->data);
    }
    list->Clear();
}

} // namespace

// Without room for the marks every entry counts as used: nothing moves rather than the wrong
// icons.
CIconMatcher::CIconMatcher(const CPtrList& layoutEntries)
    : entries(layoutEntries), used(new(std::nothrow) bool[layoutEntries.count + 1]()),
      unusedCount(used.IsEmpty() ? 0 : layoutEntries.count) {}

CIconMatcher::~CIconMatcher() {
    FreeRecords<UnmatchedIcon>(&unmatched);
    FreeRecords<ItemMatch>(&matches);
    taken.Clear();
}

bool CIconMatcher::Offer(int item, const char* name) {
    const LayoutEntry* entry = TakeEntry(name, nullptr);
    // An ASCII name is its own ANSI form, which no entry left can hold: only other names are kept
    // for MatchAnsiForms.
    if (!entry) {
        if (unusedCount > 0 && !IsAscii(name)) {
            UnmatchedIcon* icon = new (std::nothrow) UnmatchedIcon;
            if (icon) {
                icon->item = item;
                memcpy(icon->name, name, strlen(name) + 1);
                if (!unmatched.Append(icon)) {
                    delete icon;
                }
            }
        }
        return true;
    }
    return taken.Append(const_cast<LayoutEntry*>(entry)) && KeepMatch(item, entry);
}

// Layouts stored before names were UTF-8 hold each name as the ANSI request gave it: "Łódź.txt" as
// "Lódz.txt", "日本語.txt" and "中文字.txt" both as "???.txt". An entry that names no icon on the
// desktop goes to an icon whose ANSI form it holds, in the code page's bytes or read into UTF-8, as
// long as that icon's own name is named by no entry: an exact name always wins. Icons that share an
// ANSI form take its entries in item order, as they did when the ANSI form was all there was.
void CIconMatcher::MatchAnsiForms() {
    if (unmatched.count == 0) {
        return;
    }
    DropEntriesOfTakenNames();
    for (PtrListNode* node = unmatched.head; node && unusedCount > 0; node = node->next) {
        const UnmatchedIcon* icon = static_cast<const UnmatchedIcon*>(node->data);
        AnsiForm ansi;
        if (ListNames(taken, icon->name) || !AnsiFormOf(icon->name, &ansi)) {
            continue;
        }
        const LayoutEntry* entry = TakeEntry(ansi.bytes, ansi.inUtf8);
        if (entry) {
            KeepMatch(icon->item, entry);
        }
    }
}

// The first entry left that holds name (or, when given, otherName), marked used; null for none.
const LayoutEntry* CIconMatcher::TakeEntry(const char* name, const char* otherName) {
    if (unusedCount == 0) {
        return nullptr;
    }
    int at = 0;
    for (PtrListNode* node = entries.head; node; node = node->next, at++) {
        if (!used.Get()[at] && Names(*EntryOf(node), name, otherName)) {
            used.Get()[at] = true;
            unusedCount--;
            return EntryOf(node);
        }
    }
    return nullptr;
}

bool CIconMatcher::KeepMatch(int item, const LayoutEntry* entry) {
    ItemMatch* match = new (std::nothrow) ItemMatch;
    if (!match) {
        return false;
    }
    match->item = item;
    match->entry = entry;
    if (matches.Append(match)) {
        return true;
    }
    delete match;
    return false;
}

// Entries whose name an icon took exactly are left over because more entries than icons bear it;
// they stay unused, and only entries that name no icon on the desktop are left.
void CIconMatcher::DropEntriesOfTakenNames() {
    int at = 0;
    for (PtrListNode* node = entries.head; node; node = node->next, at++) {
        if (!used.Get()[at] && ListNames(taken, EntryOf(node)->name)) {
            used.Get()[at] = true;
            unusedCount--;
        }
    }
}

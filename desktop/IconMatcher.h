// Which icon of the desktop takes which entry of a layout, for one pass of an apply. Both routes
// match the same way; only how they then place the icons differs.
#pragma once

#include "base/PtrList.h"
#include "base/UniqueOwner.h"

struct LayoutEntry;

// An icon and the entry it took.
struct ItemMatch {
    int item;
    const LayoutEntry* entry;
};

class CIconMatcher {
  public:
    // entries: the layout's, parsed once per apply; they must outlive the matcher, which only
    // marks the ones it hands out.
    explicit CIconMatcher(const CPtrList& entries);
    ~CIconMatcher();
    CIconMatcher(const CIconMatcher&) = delete;
    CIconMatcher& operator=(const CIconMatcher&) = delete;

    // One icon as the pass read it, in item order: it takes the first entry left that holds its
    // name, so icons that share a name take the entries of that name in order. False when memory
    // ran out: the icon then takes nothing.
    bool Offer(int item, const char* name);
    // After the last icon: entries that no icon's name took go to icons by their ANSI forms.
    void MatchAnsiForms();
    // ItemMatch records: the exact names in item order, then the ANSI forms in item order.
    const CPtrList& Matches() const { return matches; }

  private:
    const CPtrList& entries;
    // Per entry, in list order: true once it was handed out or can no longer be.
    CHeapArray<bool> used;
    int unusedCount;
    // The entries icons took by their names, not owned.
    CPtrList taken;
    // Icons that no entry named exactly and whose names are not ASCII.
    CPtrList unmatched;
    CPtrList matches;

    const LayoutEntry* TakeEntry(const char* name, const char* otherName);
    bool KeepMatch(int item, const LayoutEntry* entry);
    void DropEntriesOfTakenNames();
};

// One stored arrangement of the desktop icons.
#pragma once

#include "base/UniqueOwner.h"
#include "store/SnapshotMoment.h"

// Fixed to int, so that headers which only pass a kind along can declare it without this one.
enum SnapshotKind : int {
    kSnapshotManual = 0,
    kSnapshotAutomatic = 1,
};

enum {
    kSnapshotNameChars = 64,
};

// A snapshot owns its layout text and its display configuration: heap copies of exactly their
// length. Snapshots of files written before configurations were kept have none. The moment it was
// taken is its own (hasMoment) once this program took it; a snapshot of an older or hand-edited
// file has the one its name reads as.
struct LayoutSnapshot {
    char name[kSnapshotNameChars] = {};
    CHeapText layout;
    SnapshotKind kind = kSnapshotManual;
    CHeapText displays;
    SnapshotMoment moment = kEarliestMoment;
    bool hasMoment = false;
    // A kept snapshot never gives way to a newer one and is never renewed by one.
    bool kept = false;

    LayoutSnapshot() = default;
    LayoutSnapshot(const LayoutSnapshot&) = delete;
    LayoutSnapshot& operator=(const LayoutSnapshot&) = delete;

    // Copies text into the name, cut between characters where it does not fit.
    void SetName(const char* text);
    // Replaces the layout with a copy of text; false, with the layout as it was, without memory.
    bool SetLayout(const char* text);
    // Replaces the display configuration; the empty key leaves none. False, with the
    // configuration as it was, without memory.
    bool SetDisplays(const char* key);
    // The display configuration key, empty when there is none.
    const char* Displays() const { return displays.IsEmpty() ? "" : displays.Get(); }
};

// A snapshot with copies of name (cut to fit), layout and display configuration, and the moment
// its name reads as; null when memory ran out.
LayoutSnapshot* NewSnapshot(const char* name, const char* layout, SnapshotKind kind,
                            const char* displays = "");

struct CPtrList;

// Frees every snapshot of the list and empties it.
void FreeSnapshots(CPtrList* list);

// Files a snapshot taken at moment into list by the rules of taking one: a layout a snapshot of the
// list that is not kept holds for this kind under the same display configuration only renews that
// record's name and moment; past ten of a kind not kept, the oldest of them gives way, except the
// only one of its kind left for its configuration. A name another record of the kind holds is
// numbered (NumberedName) until it is the only one. The list is left newest first.
void StoreSnapshot(CPtrList* list, const char* name, const char* layout, SnapshotKind kind,
                   const char* displays, SnapshotMoment moment);
// Files a kept copy of snapshot into list: it renews nothing and nothing gives way to it; a name
// the kind holds is numbered. A record of the same name and arrangement is only marked kept.
void StoreKeptSnapshot(CPtrList* list, const LayoutSnapshot& snapshot);

// The snapshot of kind named name, or null.
LayoutSnapshot* FindSnapshot(const CPtrList& list, SnapshotKind kind, const char* name);

// The settings file keeps one key per name and kind: two records under one name (two snapshots in
// one second, two copies saving at once, a clock set back, a rename) would leave one of them
// behind. A record whose name another of its kind holds gets " (2)", " (3)", ... behind it.
void MakeNameUnique(const CPtrList& list, LayoutSnapshot* record);

// base with " (number)" behind it, base cut between characters where both would not fit a name.
void NumberedName(const char (&base)[kSnapshotNameChars], int number,
                  char (&name)[kSnapshotNameChars]);

// The newest snapshot of list (SnapshotOlder), or null; the list need not be sorted.
const LayoutSnapshot* NewestSnapshot(const CPtrList& list);
// The newest snapshot taken under the display configuration key, or null; none for the empty key.
const LayoutSnapshot* NewestSnapshotUnder(const CPtrList& list, const char* displays);

// 1 when the first name sorts before the second in unsigned byte order, else 0.
int NameLess(const char* first, const char* second);
// Comparator for CPtrList::Sort over LayoutSnapshot records: NameLess of their names.
int SnapshotNameLess(const void* first, const void* second);
// Comparator for CPtrList::Sort over LayoutSnapshot records, which leaves the list newest first:
// 1 when the first was taken before the second, or at the same moment and its name sorts first.
int SnapshotOlder(const void* first, const void* second);

// One stored arrangement of the desktop icons.
#pragma once

enum SnapshotKind {
    kSnapshotManual = 0,
    kSnapshotAutomatic = 1,
};

enum {
    kSnapshotNameChars = 64,
    kSnapshotLayoutChars = 8192,
};

struct LayoutSnapshot {
    char name[kSnapshotNameChars];
    char layout[kSnapshotLayoutChars];
    int kind;
};

struct CPtrList;

// Frees every snapshot of the list and empties it.
void FreeSnapshots(CPtrList* list);

// Files a snapshot into list by the rules of taking one: a layout the list holds for this kind
// only renews that record's name; past ten of a kind, the oldest of the kind is overwritten. The
// list is left newest first.
void StoreSnapshot(CPtrList* list, const char* name, const char* layout, int kind);

// Comparator for CPtrList::Sort: 1 when the first name sorts before the second in unsigned byte
// order, which leaves the list newest first.
int SnapshotNameLess(const void* first, const void* second);

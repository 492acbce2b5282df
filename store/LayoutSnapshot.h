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

// Comparator for CPtrList::Sort: 1 when the first name sorts before the second in unsigned byte
// order, which leaves the list newest first.
int SnapshotNameLess(const void* first, const void* second);

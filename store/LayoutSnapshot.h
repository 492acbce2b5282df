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

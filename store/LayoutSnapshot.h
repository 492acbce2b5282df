// One stored arrangement of the desktop icons.
#pragma once

enum SnapshotKind {
    kSnapshotManual = 0,
    kSnapshotAutomatic = 1,
};

enum {
    kSnapshotNameChars = 64,
};

// A snapshot owns its layout text: a heap copy of exactly its length.
struct LayoutSnapshot {
    char name[kSnapshotNameChars] = {};
    char* layout = nullptr;
    int kind = kSnapshotManual;

    LayoutSnapshot() = default;
    ~LayoutSnapshot() { delete[] layout; }
    LayoutSnapshot(const LayoutSnapshot&) = delete;
    LayoutSnapshot& operator=(const LayoutSnapshot&) = delete;

    // Copies text into the name, cut between characters where it does not fit.
    void SetName(const char* text);
    // Replaces the layout with a copy of text; false, with the layout as it was, without memory.
    bool SetLayout(const char* text);
};

// A snapshot with copies of name (cut to fit) and layout; null when memory ran out.
LayoutSnapshot* NewSnapshot(const char* name, const char* layout, int kind);

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

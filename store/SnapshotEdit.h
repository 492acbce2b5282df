// A change the user made to a stored snapshot: kept until it reaches the settings file, and
// replayed over what another copy wrote there meanwhile.
#pragma once

#include "store/LayoutSnapshot.h"

struct CPtrList;

enum SnapshotEditAction {
    kEditRename,
    kEditDelete,
    kEditKeep,
};

// The snapshot is found by kind and name; a rename gives it newName and keeps it.
struct SnapshotEdit {
    SnapshotEditAction action;
    SnapshotKind kind;
    char name[kSnapshotNameChars];
    char newName[kSnapshotNameChars];
    bool kept;
};

// Carries the edit out on list; false when list holds no such snapshot. A renamed snapshot keeps
// the moment it was taken, since its new name no longer tells it, and a name the kind holds
// already is numbered.
bool ApplyEdit(CPtrList* list, const SnapshotEdit& edit);
// Appends a copy of edit to the log; false without memory.
bool RecordEdit(CPtrList* log, const SnapshotEdit& edit);
// Carries out every edit of the log on list, oldest first.
void ReplayEdits(const CPtrList& log, CPtrList* list);
void FreeEdits(CPtrList* log);

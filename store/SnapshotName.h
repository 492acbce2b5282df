// The names a user may give a snapshot.
#pragma once

#include "store/LayoutSnapshot.h"

enum SnapshotNameProblem {
    kNameFits,
    kNameEmpty,
    kNameTooLong,
    kNameNotWholeCharacters,
    kNameHasControlCharacter,
    kNameHasEqualsSign,
    kNameStartsBadly,
    kNameReserved,
    kNameTaken,
};

// Whether text may name a snapshot: 1 to kSnapshotNameChars - 1 bytes of UTF-8, no control
// character and no "=" (the settings file's key ends at it), not starting with "[" (a section
// header) or a space, and not "newest". Uniqueness is CheckNewSnapshotName's.
SnapshotNameProblem CheckSnapshotName(const char* text);
// The same, and no other snapshot of kind in list holds the name already; renamed, if given, is the
// snapshot that takes it, which may keep its own name.
SnapshotNameProblem CheckNewSnapshotName(const CPtrList& list, SnapshotKind kind, const char* text,
                                         const LayoutSnapshot* renamed);
// What a refused name is told, for a problem other than kNameFits.
const char* SnapshotNameProblemText(SnapshotNameProblem problem);

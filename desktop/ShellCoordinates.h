// The one place where the shell route's coordinates meet the list view's. Layout text holds the
// list view's item positions (LVM_GETITEMPOSITION); the shell route reads and writes the folder
// view's (IFolderView::GetItemPosition, SelectAndPositionItems). Nothing promises that the two are
// the same where the desktop spans a monitor left of or above the primary one, or at a scale above
// 100 %, so a few icons are read both ways: the same points, or points apart by one offset for
// all, give the conversion; anything else means the two routes do not share a space.
#pragma once

#include "desktop/IconName.h"
#include "platform/win32.h"

enum {
    // The icons read both ways to find the conversion, from the start of each route's items.
    kCoordinateProbeIcons = 3,
    // Farther apart than any virtual screen reaches, two points are no offset of each other.
    kMaxShellOffset = 65536,
};

// A list view point is the shell's point moved by (dx, dy).
struct ShellCoordinates {
    int dx;
    int dy;
};

// One icon as one route read it: its item index there, its name and its point.
struct ProbedIcon {
    int item;
    char name[kIconNameBytes];
    POINT point;
};

enum ShellCoordinateEvidence {
    // No icon bears a name that only one probed icon of each route bears.
    kNoCoordinateEvidence,
    // Every icon found both ways stands apart by the same offset: conversion holds it.
    kCoordinatesAgree,
    // Icons stand apart by different offsets, by one offset that a single icon cannot tell from a
    // scale, or by more than kMaxShellOffset.
    kCoordinatesDisagree,
};

// Pairs the icons of the two probes by name and tells what their points show.
ShellCoordinateEvidence CompareProbedIcons(const ProbedIcon* listView, int listViewCount,
                                           const ProbedIcon* shell, int shellCount,
                                           ShellCoordinates* conversion);

// Held to the range of int: a hand-edited layout may place an icon anywhere.
POINT ListViewPointOfShellPoint(POINT shellPoint, const ShellCoordinates& conversion);
POINT ShellPointOfListViewPoint(int x, int y, const ShellCoordinates& conversion);

// Snapshots of the desktop, restore and undo.
#include "desktop/DesktopLayout.h"
#include "app/BoundedText.h"
#include "store/LayoutSnapshot.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

const int kMaxSnapshotsPerKind = 10;
const char kAutoSaveSuffix[] = " (AutoSave)";

// The local time to the second; automatic snapshots carry " (AutoSave)" behind it.
void FormatSnapshotName(int kind, char* name) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(name, kSnapshotNameChars, "%04d-%02d-%02d %02d:%02d:%02d%s", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond, kind != 0 ? kAutoSaveSuffix : "");
}

LayoutSnapshot* NewSnapshot(const char* name, const char* layout, int kind) {
    LayoutSnapshot* snapshot = new (std::nothrow) LayoutSnapshot;
    if (!snapshot)
        return nullptr;
    CopyBounded(snapshot->name, sizeof snapshot->name, name);
    CopyBounded(snapshot->layout, sizeof snapshot->layout, layout);
    snapshot->kind = kind;
    return snapshot;
}

} // namespace

// Unsigned byte order, so the zero-padded time stamps sort newest last and a longer name after its
// prefix.
int SnapshotNameLess(const void* first, const void* second) {
    return strcmp(static_cast<const char*>(first), static_cast<const char*>(second)) < 0;
}

// A desktop already stored in a snapshot of this kind only renews that snapshot's name; past ten of
// a kind, the oldest of the kind is overwritten.
void CDesktopLayout::TakeSnapshot(int kind) {
    const char* captured = CaptureLayout();
    char name[kSnapshotNameChars];
    FormatSnapshotName(kind, name);

    LayoutSnapshot* lastOfKind = nullptr;
    LayoutSnapshot* sameLayout = nullptr;
    int countOfKind = 0;
    for (PtrListNode* node = snapshots->head; node && !sameLayout; node = node->next) {
        LayoutSnapshot* snapshot = static_cast<LayoutSnapshot*>(node->data);
        if (snapshot->kind != kind)
            continue;
        if (strcmp(snapshot->layout, captured) == 0) {
            sameLayout = snapshot;
        } else {
            countOfKind++;
            lastOfKind = snapshot;
        }
    }

    if (sameLayout) {
        CopyBounded(sameLayout->name, sizeof sameLayout->name, name);
    } else if (countOfKind < kMaxSnapshotsPerKind || !lastOfKind) {
        LayoutSnapshot* snapshot = NewSnapshot(name, captured, kind);
        if (snapshot && !snapshots->Append(snapshot))
            delete snapshot;
    } else {
        CopyBounded(lastOfKind->name, sizeof lastOfKind->name, name);
        CopyBounded(lastOfKind->layout, sizeof lastOfKind->layout, captured);
    }
    snapshots->Sort(SnapshotNameLess);
    SaveSettings();
}

void CDesktopLayout::RestoreSnapshot(int index) {
    if (index < 0)
        return;
    PtrListNode* node = snapshots->head;
    for (int i = 0; i < index && node; i++)
        node = node->next;
    if (!node)
        return;
    RestoreLayout(static_cast<const LayoutSnapshot*>(node->data)->layout);
}

// The arrangement that stood before is kept for Undo only when something moved.
void CDesktopLayout::RestoreLayout(const char* layout) {
    const char* before = CaptureLayout();
    if (!ApplyLayout(layout))
        return;
    char* undo = new (std::nothrow) char[kLayoutChars];
    if (!undo)
        return;
    CopyBounded(undo, kLayoutChars, before);
    if (!undoStack->Append(undo))
        delete[] undo;
}

void CDesktopLayout::Undo() {
    if (!undoStack->tail)
        return;
    char* layout = static_cast<char*>(undoStack->tail->data);
    undoStack->RemoveLast();
    ApplyLayout(layout);
    delete[] layout;
}

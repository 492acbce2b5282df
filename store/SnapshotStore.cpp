// Snapshots of the desktop, restore and undo.
#include "desktop/DesktopLayout.h"
#include "app/BoundedText.h"
#include "app/ErrorBox.h"
#include "app/TextEncoding.h"
#include "store/LayoutSnapshot.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

const int kMaxSnapshotsPerKind = 10;
const char kAutoSaveSuffix[] = " (AutoSave)";
const char kCannotReadDesktop[] = "Could not read the desktop icons!";

// The local time to the second; automatic snapshots carry " (AutoSave)" behind it.
void FormatSnapshotName(int kind, char* name) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(name, kSnapshotNameChars, "%04d-%02d-%02d %02d:%02d:%02d%s", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond, kind != 0 ? kAutoSaveSuffix : "");
}

} // namespace

// Keys of a hand-edited file can be longer than a name holds; a cut leaves no half of a character.
void LayoutSnapshot::SetName(const char* text) {
    size_t keep = Utf8PrefixWithinBytes(text, strlen(text), sizeof name - 1, sizeof name - 1);
    memcpy(name, text, keep);
    name[keep] = '\0';
}

bool LayoutSnapshot::SetLayout(const char* text) {
    char* copy = CopyToHeap(text);
    if (!copy)
        return false;
    delete[] layout;
    layout = copy;
    return true;
}

LayoutSnapshot* NewSnapshot(const char* name, const char* layout, int kind) {
    LayoutSnapshot* snapshot = new (std::nothrow) LayoutSnapshot;
    if (!snapshot)
        return nullptr;
    if (!snapshot->SetLayout(layout)) {
        delete snapshot;
        return nullptr;
    }
    snapshot->SetName(name);
    snapshot->kind = kind;
    return snapshot;
}

// Unsigned byte order, so the zero-padded time stamps sort newest last and a longer name after its
// prefix.
int SnapshotNameLess(const void* first, const void* second) {
    return strcmp(static_cast<const char*>(first), static_cast<const char*>(second)) < 0;
}

void FreeSnapshots(CPtrList* list) {
    for (PtrListNode* node = list->head; node; node = node->next)
        delete static_cast<LayoutSnapshot*>(node->data);
    list->Clear();
}

void StoreSnapshot(CPtrList* list, const char* name, const char* layout, int kind) {
    LayoutSnapshot* lastOfKind = nullptr;
    LayoutSnapshot* sameLayout = nullptr;
    int countOfKind = 0;
    for (PtrListNode* node = list->head; node && !sameLayout; node = node->next) {
        LayoutSnapshot* snapshot = static_cast<LayoutSnapshot*>(node->data);
        if (snapshot->kind != kind)
            continue;
        if (strcmp(snapshot->layout, layout) == 0) {
            sameLayout = snapshot;
        } else {
            countOfKind++;
            lastOfKind = snapshot;
        }
    }

    if (sameLayout) {
        sameLayout->SetName(name);
    } else if (countOfKind < kMaxSnapshotsPerKind || !lastOfKind) {
        LayoutSnapshot* snapshot = NewSnapshot(name, layout, kind);
        if (snapshot && !list->Append(snapshot))
            delete snapshot;
    } else if (lastOfKind->SetLayout(layout)) {
        lastOfKind->SetName(name);
    }
    list->Sort(SnapshotNameLess);
}

// Only a capture that read every icon is stored: a failed or empty one would take the place of a
// good snapshot (at logon the desktop is there before its icons). The timer and the start say
// nothing; a Save the user chose does.
void CDesktopLayout::TakeSnapshot(int kind) {
    int complete = 0;
    const char* captured = CaptureLayout(&complete);
    if (!complete || captured[0] == '\0') {
        if (kind == kSnapshotManual)
            ShowErrorBox(kCannotReadDesktop);
        return;
    }
    char name[kSnapshotNameChars];
    FormatSnapshotName(kind, name);
    StoreSnapshot(snapshots, name, captured, kind);
    StoreSnapshot(unsavedSnapshots, name, captured, kind);
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

// The arrangement that stood before is kept for Undo only when something moved. Without it there
// would be nothing to undo to, so a desktop that cannot be read is not touched.
void CDesktopLayout::RestoreLayout(const char* layout) {
    int complete = 0;
    const char* before = CaptureLayout(&complete);
    if (!complete || before[0] == '\0') {
        ShowErrorBox(kCannotReadDesktop);
        return;
    }
    if (!ApplyLayout(layout))
        return;
    char* undo = CopyToHeap(before);
    if (!undo)
        return;
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

// Snapshots of the desktop, restore and undo.
#include "desktop/DesktopLayout.h"
#include "base/BoundedText.h"
#include "base/ErrorBox.h"
#include "base/TextEncoding.h"
#include "desktop/LayoutEntries.h"
#include "store/LayoutSnapshot.h"
#include "store/SnapshotEdit.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

const int kMaxSnapshotsPerKind = 10;
const char kAutoSaveSuffix[] = " (AutoSave)";
const char kCannotReadDesktop[] = "Could not read the desktop icons!";
const char kAutoArrangeIsOn[] =
    "Auto arrange is on: turn it off in the desktop's View menu to restore icons!";

// The local time to the second; automatic snapshots carry " (AutoSave)" behind it.
void FormatSnapshotName(SnapshotKind kind, char* name) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(name, kSnapshotNameChars, "%04d-%02d-%02d %02d:%02d:%02d%s", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond,
             kind == kSnapshotAutomatic ? kAutoSaveSuffix : "");
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
    if (!copy) {
        return false;
    }
    layout.Reset(copy);
    return true;
}

bool LayoutSnapshot::SetDisplays(const char* key) {
    char* copy = nullptr;
    if (key[0] != '\0' && !(copy = CopyToHeap(key))) {
        return false;
    }
    displays.Reset(copy);
    return true;
}

LayoutSnapshot* NewSnapshot(const char* name, const char* layout, SnapshotKind kind,
                            const char* displays) {
    LayoutSnapshot* snapshot = new (std::nothrow) LayoutSnapshot;
    if (!snapshot) {
        return nullptr;
    }
    if (!snapshot->SetLayout(layout) || !snapshot->SetDisplays(displays)) {
        delete snapshot;
        return nullptr;
    }
    snapshot->SetName(name);
    snapshot->kind = kind;
    snapshot->moment = MomentOfName(name);
    return snapshot;
}

// Unsigned byte order, so the zero-padded time stamps sort newest last and a longer name after its
// prefix.
int NameLess(const char* first, const char* second) {
    return strcmp(first, second) < 0;
}

int SnapshotNameLess(const void* first, const void* second) {
    return NameLess(static_cast<const LayoutSnapshot*>(first)->name,
                    static_cast<const LayoutSnapshot*>(second)->name);
}

int SnapshotOlder(const void* first, const void* second) {
    const LayoutSnapshot* a = static_cast<const LayoutSnapshot*>(first);
    const LayoutSnapshot* b = static_cast<const LayoutSnapshot*>(second);
    if (a->moment != b->moment) {
        return a->moment < b->moment;
    }
    return NameLess(a->name, b->name);
}

void NumberedName(const char (&base)[kSnapshotNameChars], int number,
                  char (&name)[kSnapshotNameChars]) {
    char suffix[16];
    int suffixLength = snprintf(suffix, sizeof suffix, " (%d)", number);
    size_t room = sizeof base - 1 - static_cast<size_t>(suffixLength);
    size_t keep = Utf8PrefixWithinBytes(base, strlen(base), room, room);
    memcpy(name, base, keep);
    memcpy(name + keep, suffix, static_cast<size_t>(suffixLength) + 1);
}

void FreeSnapshots(CPtrList* list) {
    for (PtrListNode* node = list->head; node; node = node->next) {
        delete static_cast<LayoutSnapshot*>(node->data);
    }
    list->Clear();
}

namespace {

const LayoutSnapshot* SnapshotOf(const PtrListNode* node) {
    return static_cast<const LayoutSnapshot*>(node->data);
}

// Whether a record may be evicted for a new snapshot of its kind under displays: a record without a
// configuration always may; one with a configuration only while another of its kind, the new one
// included, stays for that configuration.
bool CanEvict(const CPtrList& list, const LayoutSnapshot* record, const char* displays) {
    const char* own = record->Displays();
    if (own[0] == '\0' || strcmp(own, displays) == 0) {
        return true;
    }
    for (PtrListNode* node = list.head; node; node = node->next) {
        const LayoutSnapshot* other = SnapshotOf(node);
        if (other != record && other->kind == record->kind && strcmp(other->Displays(), own) == 0) {
            return true;
        }
    }
    return false;
}

// The record of kind that a new snapshot under displays overwrites: the oldest not kept that may
// give way, or, when none may (every record the only one of its configuration), the oldest of the
// kind not kept.
// Walked from the tail, where a sorted list holds its oldest: only a record older than the best so
// far is asked whether it may give way.
LayoutSnapshot* RecordToGiveWay(const CPtrList& list, SnapshotKind kind, const char* displays) {
    LayoutSnapshot* oldestOfKind = nullptr;
    LayoutSnapshot* oldestThatMay = nullptr;
    for (PtrListNode* node = list.tail; node; node = node->prev) {
        LayoutSnapshot* record = static_cast<LayoutSnapshot*>(node->data);
        if (record->kind != kind || record->kept) {
            continue;
        }
        if (!oldestOfKind || SnapshotOlder(record, oldestOfKind)) {
            oldestOfKind = record;
        }
        if ((!oldestThatMay || SnapshotOlder(record, oldestThatMay)) &&
            CanEvict(list, record, displays)) {
            oldestThatMay = record;
        }
    }
    return oldestThatMay ? oldestThatMay : oldestOfKind;
}

bool NameHeldByAnother(const CPtrList& list, const LayoutSnapshot* record) {
    for (PtrListNode* node = list.head; node; node = node->next) {
        const LayoutSnapshot* other = SnapshotOf(node);
        if (other != record && other->kind == record->kind &&
            strcmp(other->name, record->name) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

void MakeNameUnique(const CPtrList& list, LayoutSnapshot* record) {
    if (!NameHeldByAnother(list, record)) {
        return;
    }
    char base[kSnapshotNameChars];
    memcpy(base, record->name, sizeof base);
    for (int number = 2; NameHeldByAnother(list, record); number++) {
        NumberedName(base, number, record->name);
    }
}

namespace {

// The record a new snapshot becomes: a new one, or the one it overwrites; null without memory.
LayoutSnapshot* RecordFor(CPtrList* list, int countOfKind, const char* name, const char* layout,
                          SnapshotKind kind, const char* displays) {
    if (countOfKind < kMaxSnapshotsPerKind) {
        LayoutSnapshot* snapshot = NewSnapshot(name, layout, kind, displays);
        if (snapshot && !list->Append(snapshot)) {
            delete snapshot;
            return nullptr;
        }
        return snapshot;
    }
    LayoutSnapshot* overwritten = RecordToGiveWay(*list, kind, displays);
    if (!overwritten || !overwritten->SetLayout(layout)) {
        return nullptr;
    }
    // Without memory for the configuration the record is left without one rather than keeping
    // one that is not its own.
    if (!overwritten->SetDisplays(displays)) {
        overwritten->SetDisplays("");
    }
    return overwritten;
}

} // namespace

void StoreSnapshot(CPtrList* list, const char* name, const char* layout, SnapshotKind kind,
                   const char* displays, SnapshotMoment moment) {
    LayoutSnapshot* sameArrangement = nullptr;
    int countOfKind = 0;
    for (PtrListNode* node = list->head; node && !sameArrangement; node = node->next) {
        LayoutSnapshot* snapshot = static_cast<LayoutSnapshot*>(node->data);
        if (snapshot->kind != kind || snapshot->kept) {
            continue;
        }
        if (strcmp(snapshot->layout.Get(), layout) == 0 &&
            strcmp(snapshot->Displays(), displays) == 0) {
            sameArrangement = snapshot;
        } else {
            countOfKind++;
        }
    }

    LayoutSnapshot* filed = sameArrangement
                                ? sameArrangement
                                : RecordFor(list, countOfKind, name, layout, kind, displays);
    if (filed) {
        filed->SetName(name);
        filed->moment = moment;
        filed->hasMoment = true;
        MakeNameUnique(*list, filed);
    }
    list->Sort(SnapshotOlder);
}

void StoreKeptSnapshot(CPtrList* list, const LayoutSnapshot& snapshot) {
    LayoutSnapshot* same = FindSnapshot(*list, snapshot.kind, snapshot.name);
    if (same && strcmp(same->layout.Get(), snapshot.layout.Get()) == 0 &&
        strcmp(same->Displays(), snapshot.Displays()) == 0) {
        same->kept = true;
        return;
    }
    LayoutSnapshot* kept =
        NewSnapshot(snapshot.name, snapshot.layout.Get(), snapshot.kind, snapshot.Displays());
    if (!kept || !list->Append(kept)) {
        delete kept;
        return;
    }
    kept->moment = snapshot.moment;
    kept->hasMoment = snapshot.hasMoment;
    kept->kept = true;
    MakeNameUnique(*list, kept);
    list->Sort(SnapshotOlder);
}

LayoutSnapshot* FindSnapshot(const CPtrList& list, SnapshotKind kind, const char* name) {
    for (PtrListNode* node = list.head; node; node = node->next) {
        LayoutSnapshot* snapshot = static_cast<LayoutSnapshot*>(node->data);
        if (snapshot->kind == kind && strcmp(snapshot->name, name) == 0) {
            return snapshot;
        }
    }
    return nullptr;
}

const LayoutSnapshot* NewestSnapshot(const CPtrList& list) {
    const LayoutSnapshot* newest = nullptr;
    for (PtrListNode* node = list.head; node; node = node->next) {
        if (!newest || SnapshotOlder(newest, SnapshotOf(node))) {
            newest = SnapshotOf(node);
        }
    }
    return newest;
}

const LayoutSnapshot* NewestSnapshotUnder(const CPtrList& list, const char* displays) {
    const LayoutSnapshot* newest = nullptr;
    if (displays[0] == '\0') {
        return nullptr;
    }
    for (PtrListNode* node = list.head; node; node = node->next) {
        const LayoutSnapshot* snapshot = SnapshotOf(node);
        if (strcmp(snapshot->Displays(), displays) != 0) {
            continue;
        }
        if (!newest || SnapshotOlder(newest, snapshot)) {
            newest = snapshot;
        }
    }
    return newest;
}

// Frees every snapshot and undo buffer; the lists own only their nodes.
void CDesktopLayout::ClearStore() {
    FreeSnapshots(snapshots);
    FreeSnapshots(unsavedSnapshots);
    FreeEdits(unsavedEdits);
    storeVersion++;
    for (PtrListNode* node = undoStack->head; node; node = node->next) {
        delete[] static_cast<char*>(node->data);
    }
    undoStack->Clear();
}

// Only a capture that read every icon is stored: a failed or empty one would take the place of a
// good snapshot (at logon the desktop is there before its icons). The timer and the start say
// nothing; a Save the user chose does.
void CDesktopLayout::TakeSnapshot(SnapshotKind kind) {
    if (StoreCapture(kind)) {
        SaveSettings();
    } else if (kind == kSnapshotManual) {
        ShowErrorBox(kCannotReadDesktop);
    }
}

// The session is ending, or a script asked: a box would hold it up, and nobody would read it.
SaveResult CDesktopLayout::TakeSnapshotQuietly(SnapshotKind kind) {
    return StoreCapture(kind) ? SaveQuietly() : kSaveUnreadable;
}

SaveResult CDesktopLayout::SaveQuietly() {
    bool written = WriteSettings() == kIniSaved;
    ApplyStartWithWindows();
    return written ? kSavedNow : kSaveNotWritten;
}

SaveResult CDesktopLayout::KeepDesktopAs(const char* name) {
    int complete = 0;
    const char* captured = CaptureLayout(&complete);
    if (!complete || captured[0] == '\0') {
        return kSaveUnreadable;
    }
    if (const LayoutSnapshot* holder = FindSnapshot(*snapshots, kSnapshotManual, name)) {
        return strcmp(holder->layout.Get(), captured) == 0 ? kAlreadyKept : kNameHoldsAnother;
    }
    CHeapObject<LayoutSnapshot> kept(NewSnapshot(name, captured, kSnapshotManual, displayKey));
    if (kept.IsEmpty()) {
        return kSaveNotWritten;
    }
    kept.Get()->moment = CurrentMoment();
    kept.Get()->hasMoment = true;
    StoreKeptSnapshot(snapshots, *kept.Get());
    StoreKeptSnapshot(unsavedSnapshots, *kept.Get());
    storeVersion++;
    return SaveQuietly();
}

// The edit is also made to what waits for the file, so that a snapshot taken since the last save
// reaches it as the user left it.
bool CDesktopLayout::EditSnapshot(const SnapshotEdit& edit) {
    if (!ApplyEdit(snapshots, edit)) {
        return false;
    }
    ApplyEdit(unsavedSnapshots, edit);
    RecordEdit(unsavedEdits, edit);
    snapshots->Sort(SnapshotOlder);
    storeVersion++;
    SaveSettings();
    return true;
}

bool CDesktopLayout::StoreCapture(SnapshotKind kind) {
    int complete = 0;
    const char* captured = CaptureLayout(&complete);
    if (!complete || captured[0] == '\0') {
        return false;
    }
    char name[kSnapshotNameChars];
    FormatSnapshotName(kind, name);
    SnapshotMoment moment = CurrentMoment();
    StoreSnapshot(snapshots, name, captured, kind, displayKey, moment);
    StoreSnapshot(unsavedSnapshots, name, captured, kind, displayKey, moment);
    storeVersion++;
    return true;
}

void CDesktopLayout::RestoreSnapshot(int index) {
    if (index < 0) {
        return;
    }
    PtrListNode* node = snapshots->head;
    for (int i = 0; i < index && node; i++) {
        node = node->next;
    }
    if (!node) {
        return;
    }
    RestoreLayout(static_cast<const LayoutSnapshot*>(node->data)->layout.Get());
}

// The desktop is read whole before anything moves: without that arrangement there would be
// nothing to undo to. What was read stays in the capture buffer, which apply does not touch, and
// is where the apply starts from.
CDesktopLayout::RestoreResult CDesktopLayout::ApplyOverReadDesktop(const char* layout,
                                                                   ApplyAsker asker, bool fit) {
    int complete = 0;
    const char* before = CaptureLayout(&complete);
    if (!complete || before[0] == '\0') {
        return kDesktopUnreadable;
    }
    if (IsAutoArranged()) {
        return kAutoArranged;
    }
    CLayoutEntries reading(before);
    int moved = 0;
    int applied = ApplyFor(layout, asker, ApplyStart{&reading.List(), fit}, &moved);
    if (!applied) {
        return kShellNotReady;
    }
    return moved ? kIconsMoved : kNothingMoved;
}

// The arrangement that stood before is kept for Undo only when something moved.
CDesktopLayout::RestoreResult CDesktopLayout::RestoreQuietly(const char* layout, ApplyAsker asker) {
    RestoreResult result = ApplyOverReadDesktop(layout, asker, true);
    if (result != kIconsMoved) {
        return result;
    }
    CHeapText undo(CopyToHeap(CaptureText()));
    if (!undo.IsEmpty() && undoStack->Append(undo.Get())) {
        undo.Release();
    }
    return result;
}

void CDesktopLayout::RestoreLayout(const char* layout) {
    ShowRefusal(RestoreQuietly(layout, kAskedByUser));
}

bool CDesktopLayout::RestoreLayoutQuietly(const char* layout) {
    RestoreResult result = RestoreQuietly(layout, kAskedByUser);
    return result == kIconsMoved || result == kNothingMoved;
}

// What a restore the user asked for says when it could not run; true when it said something.
bool CDesktopLayout::ShowRefusal(RestoreResult result) {
    if (result == kDesktopUnreadable) {
        ShowErrorBox(kCannotReadDesktop);
    } else if (result == kAutoArranged) {
        ShowErrorBox(kAutoArrangeIsOn);
    } else {
        return false;
    }
    return true;
}

// Nobody asked for this restore, so a desktop that cannot be read (the shell still starting)
// is left alone without a box, and so is one whose shell is not ready yet to keep what it is
// given: the caller may try again. The layout is copied first: the record may be overwritten by a
// timer tick before the restore is done.
int CDesktopLayout::RestoreNewestUnder(const char* displays, bool lastTry) {
    const LayoutSnapshot* newest = NewestSnapshotUnder(*snapshots, displays);
    if (!newest) {
        return 0;
    }
    CHeapText layout(CopyToHeap(newest->layout.Get()));
    if (layout.IsEmpty()) {
        return 0;
    }
    RestoreResult result =
        RestoreQuietly(layout.Get(), lastTry ? kAskedByNobodyAtLast : kAskedByNobody);
    return result == kDesktopUnreadable || result == kShellNotReady ? -1 : 1;
}

// The entry leaves the stack only once it was applied to a desktop that could be read: an Undo
// while the shell restarts keeps it for the next try.
void CDesktopLayout::Undo() {
    if (undoStack->tail) {
        ShowRefusal(UndoLast());
    }
}

bool CDesktopLayout::UndoQuietly() {
    if (!undoStack->tail) {
        return false;
    }
    RestoreResult result = UndoLast();
    return result == kIconsMoved || result == kNothingMoved;
}

CDesktopLayout::RestoreResult CDesktopLayout::UndoLast() {
    char* layout = static_cast<char*>(undoStack->tail->data);
    RestoreResult result = ApplyOverReadDesktop(layout, kAskedByUser, false);
    if (result == kIconsMoved || result == kNothingMoved) {
        undoStack->RemoveLast();
        delete[] layout;
    }
    return result;
}

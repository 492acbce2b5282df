#include "store/SnapshotEdit.h"

#include "base/PtrList.h"

#include <new>

namespace {

void Rename(CPtrList* list, LayoutSnapshot* snapshot, const char* newName) {
    if (snapshot->moment != kEarliestMoment) {
        snapshot->hasMoment = true;
    }
    snapshot->SetName(newName);
    snapshot->kept = true;
    MakeNameUnique(*list, snapshot);
}

void Delete(CPtrList* list, LayoutSnapshot* snapshot) {
    list->RemoveAt(list->IndexOf(snapshot));
    delete snapshot;
}

} // namespace

bool ApplyEdit(CPtrList* list, const SnapshotEdit& edit) {
    LayoutSnapshot* snapshot = FindSnapshot(*list, edit.kind, edit.name);
    if (!snapshot) {
        return false;
    }
    switch (edit.action) {
    case kEditRename:
        Rename(list, snapshot, edit.newName);
        break;
    case kEditDelete:
        Delete(list, snapshot);
        break;
    case kEditKeep:
        snapshot->kept = edit.kept;
        break;
    }
    return true;
}

bool RecordEdit(CPtrList* log, const SnapshotEdit& edit) {
    SnapshotEdit* copy = new (std::nothrow) SnapshotEdit(edit);
    if (!copy || !log->Append(copy)) {
        delete copy;
        return false;
    }
    return true;
}

void ReplayEdits(const CPtrList& log, CPtrList* list) {
    for (PtrListNode* node = log.head; node; node = node->next) {
        ApplyEdit(list, *static_cast<const SnapshotEdit*>(node->data));
    }
}

void FreeEdits(CPtrList* log) {
    for (PtrListNode* node = log->head; node; node = node->next) {
        delete static_cast<SnapshotEdit*>(node->data);
    }
    log->Clear();
}

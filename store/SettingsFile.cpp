// The settings file "Quillmarsh.ini": the autosave interval and every snapshot, rewritten whole.
#include "desktop/DesktopLayout.h"
#include "app/BoundedText.h"
#include "ini/IniFile.h"
#include "store/LayoutSnapshot.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char kSettingsSection[] = "Settings";
const char kAutoSaveKey[] = "AutoSave";
const int kDefaultAutoSaveMode = 2;

const char* SectionOf(int kind) {
    return kind != 0 ? "AutoSaves" : "Saves";
}

bool NameTaken(const CPtrList& snapshots, int kind, const char* name) {
    for (PtrListNode* node = snapshots.head; node; node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        if (snapshot->kind == kind && strcmp(snapshot->name, name) == 0)
            return true;
    }
    return false;
}

// Keys of a hand-edited file can be longer than a snapshot's name and are cut to fit. Two cut
// alike would be saved as one key and lose a snapshot, so a name that is taken ends in " (2)",
// " (3)", ... instead. Only names that fill the buffer can meet: keys within it are unique.
void MakeNameUnique(const CPtrList& snapshots, int kind, char (&name)[kSnapshotNameChars]) {
    if (strlen(name) < kSnapshotNameChars - 1 || !NameTaken(snapshots, kind, name))
        return;
    char base[kSnapshotNameChars];
    memcpy(base, name, sizeof base);
    for (int number = 2; NameTaken(snapshots, kind, name); number++) {
        char suffix[16];
        int suffixLength = snprintf(suffix, sizeof suffix, " (%d)", number);
        size_t keep = kSnapshotNameChars - 1 - static_cast<size_t>(suffixLength);
        memcpy(name, base, keep);
        memcpy(name + keep, suffix, static_cast<size_t>(suffixLength) + 1);
    }
}

// Every key with a value, in file order; entries with an empty value are left out.
void LoadSnapshots(const CIniFile& ini, int kind, CPtrList* snapshots) {
    const char* section = SectionOf(kind);
    if (!ini.HasSection(section))
        return;
    int count = ini.GetKeyCount(section);
    for (int index = 0; index < count; index++) {
        const char* name = ini.GetKeyName(section, index);
        if (!name)
            continue;
        const char* layout = ini.GetString(section, name, "");
        if (!layout || layout[0] == '\0')
            continue;
        LayoutSnapshot* snapshot = new (std::nothrow) LayoutSnapshot;
        if (!snapshot)
            return;
        // Names from a hand-edited file can be longer than a snapshot's name holds.
        CopyBounded(snapshot->name, sizeof snapshot->name, name);
        MakeNameUnique(*snapshots, kind, snapshot->name);
        CopyBounded(snapshot->layout, sizeof snapshot->layout, layout);
        snapshot->kind = kind;
        if (!snapshots->Append(snapshot)) {
            delete snapshot;
            return;
        }
    }
}

} // namespace

int CDesktopLayout::LoadSettings() {
    ClearStore();
    CIniFile* ini = new (std::nothrow) CIniFile(iniPath);
    if (ini) {
        autoSaveMode = ini->GetInt(kSettingsSection, kAutoSaveKey, kDefaultAutoSaveMode);
        LoadSnapshots(*ini, kSnapshotManual, snapshots);
        LoadSnapshots(*ini, kSnapshotAutomatic, snapshots);
        delete ini;
    } else {
        autoSaveMode = kDefaultAutoSaveMode;
    }
    LoadStartWithWindows();
    return 1;
}

void CDesktopLayout::SaveSettings() {
    CIniFile* ini = new (std::nothrow) CIniFile;
    if (ini) {
        ini->SetInt(kSettingsSection, kAutoSaveKey, autoSaveMode);
        for (PtrListNode* node = snapshots->head; node; node = node->next) {
            const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
            ini->SetString(SectionOf(snapshot->kind), snapshot->name, snapshot->layout);
        }
        ini->SaveAs(iniPath);
        delete ini;
    }
    ApplyStartWithWindows();
}

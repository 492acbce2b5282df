// The settings file "Quillmarsh.ini": the autosave interval and every snapshot, rewritten whole.
#include "desktop/DesktopLayout.h"
#include "app/BoundedText.h"
#include "ini/IniFile.h"
#include "store/LayoutSnapshot.h"

#include <cstring>
#include <new>

namespace {

const char kSettingsSection[] = "Settings";
const char kAutoSaveKey[] = "AutoSave";
const int kDefaultAutoSaveMode = 2;

const char* SectionOf(int kind) {
    return kind != 0 ? "AutoSaves" : "Saves";
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

// The settings file "Quillmarsh.ini": the autosave interval and every snapshot, rewritten whole.
#include "desktop/DesktopLayout.h"
#include "base/BoundedText.h"
#include "base/ErrorBox.h"
#include "base/TextEncoding.h"
#include "ini/IniFile.h"
#include "store/LayoutSnapshot.h"
#include "store/SettingsLocation.h"
#include "store/SnapshotEdit.h"

#include <cstdio>
#include <cstring>
#include <new>

// A layout is stored as one line: escaped, each byte may take two, behind a name and "=".
static_assert(2 * static_cast<size_t>(kMaxLayoutBytes) + kIniNameChars + 3 <= kIniMaxLineChars,
              "the settings file's lines hold the longest layout a capture keeps");

namespace {

const char kSettingsSection[] = "Settings";
const char kAutoSaveKey[] = "AutoSave";
const char kRestoreOnDisplayChangeKey[] = "RestoreOnDisplayChange";
const char kRestoreAtStartupKey[] = "RestoreAtStartup";
const AutoSaveMode kDefaultAutoSaveMode = kAutoSaveEveryTenMinutes;
const char kDesktopRouteKey[] = "DesktopRoute";
// By DesktopRoute value; "auto" is the default and is never written.
const char* const kDesktopRouteNames[] = {"auto", "shell", "listview"};
const DesktopRoute kWrittenRoutes[] = {kRouteShell, kRouteListView};

// Any other value, or none, is "auto".
DesktopRoute DesktopRouteOf(const CIniFile& ini) {
    const char* value = ini.GetString(kSettingsSection, kDesktopRouteKey, "");
    for (DesktopRoute route : kWrittenRoutes) {
        if (strcmp(value, kDesktopRouteNames[route]) == 0) {
            return route;
        }
    }
    return kRouteAuto;
}

const char* SectionOf(SnapshotKind kind) {
    return kind == kSnapshotAutomatic ? "AutoSaves" : "Saves";
}

// The display configurations of the snapshots of a kind, by snapshot name, in sections of their
// own: files of earlier versions read the same snapshots from the sections above.
const char* DisplaysSectionOf(SnapshotKind kind) {
    return kind == kSnapshotAutomatic ? "AutoSaveDisplays" : "SaveDisplays";
}

// The moments the snapshots of a kind were taken, by snapshot name, likewise.
const char* TimesSectionOf(SnapshotKind kind) {
    return kind == kSnapshotAutomatic ? "AutoSaveTimes" : "SaveTimes";
}

// The snapshots of a kind that are kept, by snapshot name, value "1", likewise; written only when
// one is kept.
const char* KeptSectionOf(SnapshotKind kind) {
    return kind == kSnapshotAutomatic ? "AutoSaveKept" : "SaveKept";
}
const char kKeptValue[] = "1";

// The options of the "Settings" section.
struct StoredOptions {
    AutoSaveMode autoSaveMode;
    int restoreOnDisplayChange;
    int restoreAtStartup;
    DesktopRoute desktopRoute;
};

// The first bytes of text that fit capacity - 1 and end between two characters: a character that
// would not fit whole is left out.
size_t WholeCharactersWithin(const char* text, size_t capacity) {
    return Utf8PrefixWithinBytes(text, strlen(text), capacity - 1, capacity - 1);
}

// Keys of a hand-edited file can be longer than a snapshot's name and are cut to fit. Two cut
// alike would be saved as one key and lose a snapshot, so a name that is taken ends in " (2)",
// " (3)", ... instead. Keys are unique, so only a cut name can be taken, and a cut between
// characters leaves at least kShortestCut bytes: only names that long can meet. They are kept by
// name, and so is the next number to try for each stem, the part every renamed name below 10
// keeps; numbers below it are taken. A file of many names cut alike loads in time linear in their
// number.
class CFullNames {
  public:
    // Takes in the names of this kind that the list holds already.
    CFullNames(const CPtrList& snapshots, SnapshotKind kind) : lost(false) {
        for (PtrListNode* node = snapshots.head; node; node = node->next) {
            const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
            if (snapshot->kind == kind && IsFull(snapshot->name)) {
                Take(snapshot->name);
            }
        }
    }

    void MakeUnique(char (&name)[kSnapshotNameChars]) {
        if (!IsFull(name)) {
            return;
        }
        if (Taken(name)) {
            char base[kSnapshotNameChars];
            memcpy(base, name, sizeof base);
            char stem[kStemChars + 1];
            size_t stemLength = WholeCharactersWithin(name, sizeof stem);
            memcpy(stem, name, stemLength);
            stem[stemLength] = '\0';
            int number = names.GetInt(kNextNumbers, stem, 2);
            for (;; number++) {
                NumberedName(base, number, name);
                if (!Taken(name)) {
                    break;
                }
            }
            names.SetInt(kNextNumbers, stem, number + 1);
        }
        Take(name);
    }

    // True when a name could not be kept for want of memory: names may then have met.
    bool Lost() const { return lost; }

  private:
    static constexpr const char* kTaken = "taken";
    static constexpr const char* kNextNumbers = "next";
    static const size_t kStemChars = kSnapshotNameChars - 1 - (sizeof " (2)" - 1);
    // The character left out by a cut has four bytes at most.
    static const size_t kShortestCut = kSnapshotNameChars - 1 - 3;

    CIniFile names;
    bool lost;

    static bool IsFull(const char* name) { return strlen(name) >= kShortestCut; }
    bool Taken(const char* name) const { return names.FindKey(kTaken, name) != nullptr; }
    void Take(const char* name) {
        if (!names.SetString(kTaken, name, "")) {
            lost = true;
        }
    }
};

// A moment in the file that does not read as one leaves the one the name reads as.
void LoadMoment(const CIniFile& ini, SnapshotKind kind, const char* key, LayoutSnapshot* snapshot) {
    const char* text = ini.GetString(TimesSectionOf(kind), key, "");
    SnapshotMoment moment = kEarliestMoment;
    if (text && ParseMoment(text, &moment)) {
        snapshot->moment = moment;
        snapshot->hasMoment = true;
    }
}

// Every key with a value, in file order; entries with an empty value are left out. False when
// memory ran out before every snapshot was held.
bool LoadSnapshots(const CIniFile& ini, SnapshotKind kind, CPtrList* snapshots) {
    const char* section = SectionOf(kind);
    const char* displaysSection = DisplaysSectionOf(kind);
    if (!ini.HasSection(section)) {
        return true;
    }
    CFullNames fullNames(*snapshots, kind);
    for (const IniKey* key = ini.FirstKey(section); key; key = key->next) {
        const char* name = key->name;
        const char* layout = key->value;
        if (!layout || layout[0] == '\0') {
            continue;
        }
        const char* displays = ini.GetString(displaysSection, name, "");
        LayoutSnapshot* snapshot = NewSnapshot(name, layout, kind, displays ? displays : "");
        if (!snapshot) {
            return false;
        }
        LoadMoment(ini, kind, name, snapshot);
        snapshot->kept = ini.GetInt(KeptSectionOf(kind), name, 0) != 0;
        fullNames.MakeUnique(snapshot->name);
        if (!snapshots->Append(snapshot)) {
            delete snapshot;
            return false;
        }
    }
    return !fullNames.Lost();
}

// The options and the snapshots the file at path holds; a missing file holds none. False when the
// file is there but could not be read whole: what was read must not stand for it.
bool ReadSettings(const char* path, CPtrList* snapshots, StoredOptions* options) {
    *options = StoredOptions{kDefaultAutoSaveMode, 0, 0, kRouteAuto};
    CIniFile* ini = new (std::nothrow) CIniFile;
    if (!ini) {
        return false;
    }
    CopyBounded(ini->path, sizeof ini->path, path);
    bool read = ini->ReadChecked() != kIniReadFailed;
    if (read) {
        // Any number stands as it is, to be written back unchanged.
        options->autoSaveMode = static_cast<AutoSaveMode>(
            ini->GetInt(kSettingsSection, kAutoSaveKey, kDefaultAutoSaveMode));
        options->restoreOnDisplayChange =
            ini->GetInt(kSettingsSection, kRestoreOnDisplayChangeKey, 0) != 0 ? 1 : 0;
        options->restoreAtStartup =
            ini->GetInt(kSettingsSection, kRestoreAtStartupKey, 0) != 0 ? 1 : 0;
        options->desktopRoute = DesktopRouteOf(*ini);
        read = LoadSnapshots(*ini, kSnapshotManual, snapshots) &&
               LoadSnapshots(*ini, kSnapshotAutomatic, snapshots);
    }
    delete ini;
    if (!read) {
        FreeSnapshots(snapshots);
        *options = StoredOptions{kDefaultAutoSaveMode, 0, 0, kRouteAuto};
    }
    return read;
}

// The other copies of the program lock the same name while they save.
void LockPathOf(const char* iniPath, char (&lockPath)[kPathChars]) {
    if (!iniPath[0] || !SiblingPath(iniPath, "lock", lockPath, sizeof lockPath)) {
        lockPath[0] = '\0';
    }
}

} // namespace

void CDesktopLayout::ChooseSettingsFile() {
    char localAppData[kFilePathChars];
    char desktop[kFilePathChars];
    char publicDesktop[kFilePathChars];
    ReadKnownFolders(localAppData, desktop, publicDesktop);
    const SettingsFolders folders = {iniPath[0] ? GetExeDirectory() : "", iniPath, localAppData,
                                     desktop, publicDesktop};
    SettingsLocation location;
    ChooseSettingsLocation(folders, &location);
    CopyBounded(iniPath, sizeof iniPath, location.path);
    CopyBounded(settingsReadFirst, sizeof settingsReadFirst, location.readFirst);
}

// Until this copy has written the settings file, what the one it could not write holds stands for
// it.
const char* CDesktopLayout::SettingsSource() const {
    return settingsReadFirst[0] && !StampOf(iniPath).exists ? settingsReadFirst : iniPath;
}

// A file that is there but cannot be read is not taken as empty: the store starts empty in
// memory, and every save reads the file again before it may write.
int CDesktopLayout::LoadSettings() {
    ClearStore();
    settingsStamp = StampOf(iniPath);
    StoredOptions options;
    foundSettingsFile = StampOf(SettingsSource()).exists;
    settingsRead = ReadSettings(SettingsSource(), snapshots, &options) ? 1 : 0;
    autoSaveMode = options.autoSaveMode;
    restoreOnDisplayChange = options.restoreOnDisplayChange;
    restoreAtStartup = options.restoreAtStartup;
    desktopRoute = options.desktopRoute;
    savedAutoSaveMode = autoSaveMode;
    savedRestoreOnDisplayChange = restoreOnDisplayChange;
    savedRestoreAtStartup = restoreAtStartup;
    LoadStartWithWindows();
    return 1;
}

// The box comes last, when the file and the lock are let go: its own message loop may run a
// timer tick that saves again.
void CDesktopLayout::SaveSettings() {
    IniSaveResult result = WriteSettings();
    ApplyStartWithWindows();
    if (result != kIniSaved) {
        ShowErrorBox(CIniFile::SaveFailureText(result));
    }
}

// Under the lock, no other copy writes between this copy's look at the file and its replace.
IniSaveResult CDesktopLayout::WriteSettings() {
    if (!iniPath[0]) {
        return kIniNoPath;
    }
    char lockPath[kPathChars];
    LockPathOf(iniPath, lockPath);
    CFileLock lock(lockPath);
    if (!lock.Acquired()) {
        return kIniNotWritten;
    }
    if ((!settingsRead || !SameStamp(StampOf(iniPath), settingsStamp)) && !MergeSettingsFile()) {
        return kIniNotWritten;
    }

    CIniFile* ini = new (std::nothrow) CIniFile;
    if (!ini) {
        return kIniNotWritten;
    }
    ini->SetInt(kSettingsSection, kAutoSaveKey, autoSaveMode);
    // Written only while on, so a user who never turns them on keeps the file as it was.
    if (restoreOnDisplayChange) {
        ini->SetInt(kSettingsSection, kRestoreOnDisplayChangeKey, 1);
    }
    if (restoreAtStartup) {
        ini->SetInt(kSettingsSection, kRestoreAtStartupKey, 1);
    }
    if (desktopRoute == kRouteShell || desktopRoute == kRouteListView) {
        ini->SetString(kSettingsSection, kDesktopRouteKey, kDesktopRouteNames[desktopRoute]);
    }
    for (PtrListNode* node = snapshots->head; node; node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        ini->SetString(SectionOf(snapshot->kind), snapshot->name, snapshot->layout.Get());
    }
    for (PtrListNode* node = snapshots->head; node; node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        if (snapshot->Displays()[0] != '\0') {
            ini->SetString(DisplaysSectionOf(snapshot->kind), snapshot->name, snapshot->Displays());
        }
    }
    for (PtrListNode* node = snapshots->head; node; node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        if (snapshot->hasMoment) {
            char moment[kMomentChars];
            FormatMoment(snapshot->moment, moment);
            ini->SetString(TimesSectionOf(snapshot->kind), snapshot->name, moment);
        }
    }
    for (PtrListNode* node = snapshots->head; node; node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        if (snapshot->kept) {
            ini->SetString(KeptSectionOf(snapshot->kind), snapshot->name, kKeptValue);
        }
    }
    CopyBounded(ini->path, sizeof ini->path, iniPath);
    IniSaveResult result = ini->SaveQuietly();
    delete ini;
    if (result == kIniSaved) {
        settingsStamp = StampOf(iniPath);
        savedAutoSaveMode = autoSaveMode;
        savedRestoreOnDisplayChange = restoreOnDisplayChange;
        savedRestoreAtStartup = restoreAtStartup;
        FreeSnapshots(unsavedSnapshots);
        FreeEdits(unsavedEdits);
    }
    return result;
}

// The file as it stands now becomes the store; the user's edits since this copy's last save are
// made to it again, and what this copy took since is filed into it again; an option chosen here
// since then stays. The edits come first: a snapshot taken after a rename must not renew the record
// the user named. A file that has gone keeps the store as it is. False, with the store unchanged,
// when the file cannot be read.
bool CDesktopLayout::MergeSettingsFile() {
    FileStamp stamp = StampOf(iniPath);
    if (!stamp.exists && settingsRead) {
        settingsStamp = stamp;
        return true;
    }
    CPtrList loaded;
    StoredOptions file;
    if (!ReadSettings(SettingsSource(), &loaded, &file)) {
        return false;
    }
    ReplayEdits(*unsavedEdits, &loaded);
    for (PtrListNode* node = unsavedSnapshots->tail; node; node = node->prev) {
        const LayoutSnapshot* unsaved = static_cast<const LayoutSnapshot*>(node->data);
        if (unsaved->kept) {
            StoreKeptSnapshot(&loaded, *unsaved);
        } else {
            StoreSnapshot(&loaded, unsaved->name, unsaved->layout.Get(), unsaved->kind,
                          unsaved->Displays(), unsaved->moment);
        }
    }
    storeVersion++;
    FreeSnapshots(snapshots);
    for (PtrListNode* node = loaded.head; node; node = node->next) {
        if (!snapshots->Append(node->data)) {
            delete static_cast<LayoutSnapshot*>(node->data);
        }
    }
    if (autoSaveMode == savedAutoSaveMode) {
        autoSaveMode = file.autoSaveMode;
    }
    savedAutoSaveMode = file.autoSaveMode;
    if (restoreOnDisplayChange == savedRestoreOnDisplayChange) {
        restoreOnDisplayChange = file.restoreOnDisplayChange;
    }
    savedRestoreOnDisplayChange = file.restoreOnDisplayChange;
    if (restoreAtStartup == savedRestoreAtStartup) {
        restoreAtStartup = file.restoreAtStartup;
    }
    savedRestoreAtStartup = file.restoreAtStartup;
    desktopRoute = file.desktopRoute;
    settingsStamp = stamp;
    settingsRead = 1;
    return true;
}

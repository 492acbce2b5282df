// Loads arbitrary bytes as the settings file, saves the store and loads it again.
//
// What must hold for any input: no overrun or leak (the sanitizers), every loaded snapshot's name
// and layout fit their buffers, and the second load equals the first: the same autosave mode and
// the same snapshots, names, layouts, kinds and keep marks, in the same order. A file that cannot
// be read keeps its bytes.
#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"
#include "store/LayoutSnapshot.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "SettingsFuzz: %s\n", what);
        abort();
    }
}

std::string directory;

struct Stored {
    std::string name;
    std::string layout;
    int kind;
    bool kept;
    bool operator==(const Stored& other) const {
        return name == other.name && layout == other.layout && kind == other.kind &&
               kept == other.kept;
    }
};

struct Store {
    int autoSaveMode;
    std::vector<Stored> snapshots;
    bool operator==(const Store& other) const {
        return autoSaveMode == other.autoSaveMode && snapshots == other.snapshots;
    }
};

Store StoreOf(const CDesktopLayout& layout) {
    Store store{layout.autoSaveMode, {}};
    for (PtrListNode* node = layout.snapshots->head; node; node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        Require(memchr(snapshot->name, '\0', sizeof snapshot->name) != nullptr,
                "name unterminated");
        Require(!snapshot->layout.IsEmpty(), "no layout");
        Require(snapshot->name[0] != '\0' && snapshot->layout.Get()[0] != '\0', "empty snapshot");
        store.snapshots.push_back(
            {snapshot->name, snapshot->layout.Get(), snapshot->kind, snapshot->kept});
    }
    return store;
}

Store Load() {
    CDesktopLayout layout;
    layout.LoadSettings();
    return StoreOf(layout);
}

// Where the two loads part, for the report of a failing input.
void Report(const Store& first, const Store& second) {
    fprintf(stderr, "first: mode %d, %zu snapshots; second: mode %d, %zu snapshots\n",
            first.autoSaveMode, first.snapshots.size(), second.autoSaveMode,
            second.snapshots.size());
    for (size_t i = 0; i < first.snapshots.size() && i < second.snapshots.size(); i++) {
        const Stored& a = first.snapshots[i];
        const Stored& b = second.snapshots[i];
        if (!(a == b)) {
            fprintf(stderr,
                    "snapshot %zu: \"%s\" kind %d, %zu characters; then \"%s\" kind %d, "
                    "%zu characters\n",
                    i, a.name.c_str(), a.kind, a.layout.size(), b.name.c_str(), b.kind,
                    b.layout.size());
        }
    }
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    Require(file != nullptr, "cannot write the settings file");
    Require(fwrite(data, 1, size, file) == size, "short write");
    fclose(file);
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    Require(file != nullptr, "cannot read the settings file");
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    fclose(file);
    return bytes;
}

void RemoveDirectory() {
    remove((directory + "/Quillmarsh.ini").c_str());
    rmdir(directory.c_str());
}

} // namespace

// Files go to memory-backed storage when there is some: every save flushes its file to the disk.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char shm[] = "/dev/shm/qm-settings-fuzz.XXXXXX";
    char tmp[] = "/tmp/qm-settings-fuzz.XXXXXX";
    const char* made = mkdtemp(shm);
    if (!made) {
        made = mkdtemp(tmp);
    }
    Require(made != nullptr, "no scratch directory");
    directory = made;
    atexit(RemoveDirectory);
    hostsim::SetModuleFileName(directory + "/quillmarsh.exe");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    hostsim::ResetRegistry();
    hostsim::ClearMessageBoxes();
    std::string path = directory + "/Quillmarsh.ini";
    WriteFile(path, data, size);
    {
        CDesktopLayout layout;
        layout.LoadSettings();
        Store first = StoreOf(layout);
        layout.SaveSettings();
        // A file that could not be read (a UTF-16 text that cannot be converted) is never
        // replaced: its save fails, and the file keeps its bytes.
        if (!hostsim::MessageBoxes().empty()) {
            Require(ReadFile(path) == std::string(reinterpret_cast<const char*>(data), size),
                    "a failed save changed the file");
            remove(path.c_str());
            return 0;
        }
        Store second = Load();
        if (!(second == first)) {
            Report(first, second);
        }
        Require(second == first, "the second load differs from the first");
    }
    remove(path.c_str());
    return 0;
}

// LoadSettings and SaveSettings of the largest settings file the program writes, and of a file of
// many small snapshots, next to the floor of reading and writing the same bytes with fread and
// fwrite.
//
//   settings_bench DIR prepare      writes DIR/Quillmarsh.ini: 10 manual and 10 automatic
//                                   snapshots of 7,936 characters, plus 200 hand-added ones; and
//                                   DIR/many/Quillmarsh.ini: 40,000 snapshots of short layouts
//   settings_bench DIR time [N]     medians of N rounds of each operation and floor, with ratios
//   settings_bench DIR many [N]     the same for the file of many snapshots only, with the
//                                   autosave that follows a start (capture, sort, save)
//   settings_bench DIR once WHAT    one call of WHAT (load, save, read-floor, write-floor,
//                                   durable-floor), for callgrind's --toggle-collect
#include "BenchStats.h"
#include "ManySnapshots.h"
#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"
#include "store/LayoutSnapshot.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const int kProgramSnapshotsPerKind = 10;
const int kHandAddedSnapshots = 200;

std::string directory;

std::string ManyDirectory() {
    return directory + "/many";
}

std::string SettingsPath(const std::string& folder) {
    return folder + "/Quillmarsh.ini";
}

std::string SettingsPath() {
    return SettingsPath(directory);
}

std::string FloorPath() {
    return directory + "/floor.ini";
}

// A layout of about 75 icons, the most that captures held while they stopped at this length.
const size_t kFullLayoutChars = 7936;

std::string FullLayout(int seed) {
    std::string text;
    for (int i = 0; text.size() < kFullLayoutChars; i++) {
        char triple[64];
        snprintf(triple, sizeof triple, "Icon %04d;%d;%d;", i + 1, 20 + 75 * ((i + seed) / 10),
                 10 + 70 * (i % 10));
        text += triple;
    }
    text.resize(kFullLayoutChars);
    return text;
}

void AddSnapshot(CDesktopLayout& layout, const char* name, SnapshotKind kind, int seed) {
    layout.snapshots->Append(NewSnapshot(name, FullLayout(seed).c_str(), kind));
}

int Prepare() {
    CDesktopLayout layout;
    // A store that never read its file takes in what the file holds before its first save.
    layout.LoadSettings();
    layout.autoSaveMode = kAutoSaveEveryTenMinutes;
    int seed = 0;
    for (int i = 0; i < kProgramSnapshotsPerKind; i++) {
        char name[64];
        snprintf(name, sizeof name, "2024-03-%02d 09:15:00", i + 1);
        AddSnapshot(layout, name, kSnapshotManual, seed++);
        snprintf(name, sizeof name, "2024-03-%02d 09:25:00 (AutoSave)", i + 1);
        AddSnapshot(layout, name, kSnapshotAutomatic, seed++);
    }
    for (int i = 0; i < kHandAddedSnapshots; i++) {
        char name[64];
        snprintf(name, sizeof name, "Hand arranged %03d", i + 1);
        AddSnapshot(layout, name, i % 2 ? kSnapshotAutomatic : kSnapshotManual, seed++);
    }
    layout.SaveSettings();
    return layout.snapshots->count == 2 * kProgramSnapshotsPerKind + kHandAddedSnapshots ? 0 : 1;
}

int PrepareMany() {
    std::string folder = ManyDirectory();
    mkdir(folder.c_str(), 0777);
    std::string text = ManySnapshotsText(kManySnapshots);
    FILE* file = fopen(SettingsPath(folder).c_str(), "wb");
    if (!file) {
        return 1;
    }
    bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written ? 0 : 1;
}

std::vector<char> FileBytes(const std::string& path) {
    std::vector<char> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        return bytes;
    }
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    fclose(file);
    return bytes;
}

// The floors. Not inlined, so callgrind can collect each call by its name.
__attribute__((noinline)) size_t ReadFloor(const std::string& path, char* buffer, size_t size) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        return 0;
    }
    size_t got = fread(buffer, 1, size, file);
    fclose(file);
    return got;
}

__attribute__((noinline)) bool WriteFloor(const std::string& path, const std::vector<char>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

// What a save that leaves the old or the new file, never a torn one, cannot do without: the write
// to a temporary file, its flush to the disk and the rename.
__attribute__((noinline)) bool DurableFloor(const std::string& path,
                                            const std::vector<char>& bytes) {
    std::string temporary = path + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) {
        return false;
    }
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = fflush(file) == 0 && fsync(fileno(file)) == 0 && written;
    return fclose(file) == 0 && written && rename(temporary.c_str(), path.c_str()) == 0;
}

void PrintTime(const char* what, const Spread& spread) {
    printf("  %-34s %9.3f ms  (%.3f..%.3f)\n", what, 1e3 * spread.median, 1e3 * spread.low,
           1e3 * spread.high);
}

// The settings file of folder, loaded and saved rounds times; with autosave, each round also takes
// the automatic snapshot that follows every start (capture, file it, sort the list, save).
int TimeFile(const std::string& folder, int rounds, bool autosave) {
    hostsim::SetModuleFileName(folder + "/quillmarsh.exe");
    hostsim::ResetDesktop({{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}});
    hostsim::SetLocalTime({2030, 1, 2, 1, 9, 15, 0, 0});
    std::vector<char> bytes = FileBytes(SettingsPath(folder));
    std::vector<char> buffer(bytes.size() + 1);
    CDesktopLayout layout;
    int loaded = 0;
    std::vector<double> load, document, save, automatic, readFloor, writeFloor, durableFloor;
    for (int round = 0; round < rounds; round++) {
        load.push_back(Seconds([&] { layout.LoadSettings(); }));
        loaded = layout.snapshots->count;
        document.push_back(Seconds([&] { delete new CIniFile(SettingsPath(folder).c_str()); }));
        save.push_back(Seconds([&] { layout.SaveSettings(); }));
        if (autosave) {
            automatic.push_back(Seconds([&] { layout.TakeSnapshot(kSnapshotAutomatic); }));
        }
        readFloor.push_back(
            Seconds([&] { ReadFloor(SettingsPath(folder), buffer.data(), buffer.size()); }));
        writeFloor.push_back(Seconds([&] { WriteFloor(FloorPath(), bytes); }));
        durableFloor.push_back(Seconds([&] { DurableFloor(FloorPath(), bytes); }));
    }
    remove(FloorPath().c_str());
    Spread l = SpreadOf(load), i = SpreadOf(document), s = SpreadOf(save), r = SpreadOf(readFloor),
           w = SpreadOf(writeFloor), d = SpreadOf(durableFloor);
    printf("%s: %zu bytes, %d snapshots loaded; %d rounds, medians (min..max)\n",
           SettingsPath(folder).c_str(), bytes.size(), loaded, rounds);
    PrintTime("LoadSettings", l);
    PrintTime("the INI document read alone", i);
    PrintTime("read floor (fopen, fread, fclose)", r);
    PrintTime("SaveSettings", s);
    if (autosave) {
        PrintTime("TakeSnapshot (automatic)", SpreadOf(automatic));
        printf("  snapshots after the autosave: %d\n", layout.snapshots->count);
    }
    PrintTime("write floor (fopen, fwrite, fclose)", w);
    PrintTime("durable floor (+ fsync, rename)", d);
    printf(
        "  load / read floor %.2f;  INI read alone / read floor %.2f;  save / write floor %.2f;  "
        "save / durable floor %.2f\n",
        l.median / r.median, i.median / r.median, s.median / w.median, s.median / d.median);
    return 0;
}

int Once(const std::string& what) {
    std::vector<char> bytes = FileBytes(SettingsPath());
    std::vector<char> buffer(bytes.size() + 1);
    CDesktopLayout layout;
    if (what == "load") {
        layout.LoadSettings();
    } else if (what == "save") {
        layout.LoadSettings();
        layout.SaveSettings();
    } else if (what == "read-floor") {
        ReadFloor(SettingsPath(), buffer.data(), buffer.size());
    } else if (what == "write-floor") {
        WriteFloor(FloorPath(), bytes);
    } else if (what == "durable-floor") {
        DurableFloor(FloorPath(), bytes);
    } else {
        fprintf(stderr, "settings_bench: unknown operation %s\n", what.c_str());
        return 2;
    }
    remove(FloorPath().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: settings_bench DIR prepare | time [N] | many [N] | once WHAT\n");
        return 2;
    }
    // A module's path is always a full one, and the program keeps no settings beside a relative
    // one.
    char* full = realpath(argv[1], nullptr);
    if (!full) {
        fprintf(stderr, "settings_bench: no folder %s\n", argv[1]);
        return 2;
    }
    directory = full;
    free(full);
    // glibc gives the top of its heap back to the system once a free leaves more than 128 KB
    // there, and the next round then pays the kernel for every page again (10 ms for the largest
    // file on this machine). Whether a round's frees reach the top depends on where a few small
    // blocks happen to lie, which moves with unrelated changes; the program runs on the Windows
    // heap. Kept off, so that the figures are the code's.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // The settings file lies beside the executable the host simulation reports.
    hostsim::SetModuleFileName(directory + "/quillmarsh.exe");
    std::string command = argv[2];
    if (command == "prepare") {
        return Prepare() || PrepareMany();
    }
    int rounds = argc > 3 ? std::max(1, atoi(argv[3])) : 15;
    if (command == "time") {
        return TimeFile(directory, rounds, false) || TimeFile(ManyDirectory(), rounds, true);
    }
    if (command == "many") {
        return TimeFile(ManyDirectory(), rounds, true);
    }
    if (command == "once" && argc > 3) {
        return Once(argv[3]);
    }
    fprintf(stderr, "settings_bench: unknown command %s\n", command.c_str());
    return 2;
}

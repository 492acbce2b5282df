// The store over the simulated desktop, clock and registry, with its settings file in a scratch
// folder: what the store's tests share.
#pragma once

#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"
#include "store/LayoutSnapshot.h"
#include "unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace storetest {

struct Stored {
    std::string name;
    std::string layout;
    int kind;
    bool operator==(const Stored& other) const {
        return name == other.name && layout == other.layout && kind == other.kind;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Stored& stored) {
    return out << "{" << stored.name << ", " << stored.layout << ", " << stored.kind << "}";
}

class SnapshotStore : public ::testing::Test {
  protected:
    initest::ScratchDirectory scratch;
    std::unique_ptr<CDesktopLayout> layout;

    void SetUp() override {
        hostsim::ResetDesktop({{"A", 10, 10}, {"B", 90, 10}});
        hostsim::ResetRegistry();
        hostsim::ClearMessageBoxes();
        hostsim::SetModuleFileName(scratch.Path("quillmarsh.exe").string());
        SetClock(9, 15, 0);
        NewRun();
    }

    // A fresh core object that loads the settings file, as a start of the program does.
    void NewRun() {
        layout.reset(new CDesktopLayout);
        layout->LoadSettings();
    }

    static void SetClock(int hour, int minute, int second) {
        SYSTEMTIME now = {2024,
                          3,
                          5,
                          1,
                          static_cast<WORD>(hour),
                          static_cast<WORD>(minute),
                          static_cast<WORD>(second),
                          0};
        hostsim::SetLocalTime(now);
    }

    std::vector<Stored> Snapshots() const { return SnapshotsOf(*layout); }

    static std::vector<Stored> SnapshotsOf(const CDesktopLayout& core) {
        std::vector<Stored> stored;
        for (PtrListNode* node = core.snapshots->head; node; node = node->next) {
            const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
            stored.push_back({snapshot->name, snapshot->layout.Get(), snapshot->kind});
        }
        return stored;
    }

    std::string SettingsFile() const { return initest::ReadBytes(scratch.Path("Quillmarsh.ini")); }
    void WriteSettingsFile(const std::string& bytes) const {
        initest::WriteBytes(scratch.Path("Quillmarsh.ini"), bytes);
    }
};

} // namespace storetest

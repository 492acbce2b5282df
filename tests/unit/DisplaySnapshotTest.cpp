// Snapshots that remember the displays they were taken under: renewal, the limit of ten, the
// settings file's own sections, restore of a configuration's newest, and two copies of the program.
#include "unit/SnapshotStoreFixture.h"
#include "base/BoundedText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using storetest::SnapshotStore;

const char kDocked[] = "0,0,3840,1080|0,0,1920,1080@96|1920,0,3840,1080@96";
const char kUndocked[] = "0,0,1920,1080|0,0,1920,1080@144";

class DisplaySnapshots : public SnapshotStore {
  protected:
    void Under(CDesktopLayout* core, const char* displays) {
        CopyBounded(core->displayKey, sizeof core->displayKey, displays);
    }

    // Name and configuration of each snapshot, in list order.
    std::vector<std::string> Configurations() const {
        std::vector<std::string> out;
        for (PtrListNode* node = layout->snapshots->head; node; node = node->next) {
            const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
            out.push_back(std::string(snapshot->name) + " " + snapshot->Displays());
        }
        return out;
    }

    int CountUnder(int kind, const char* displays) const {
        int count = 0;
        for (PtrListNode* node = layout->snapshots->head; node; node = node->next) {
            const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
            count += snapshot->kind == kind && std::string(snapshot->Displays()) == displays;
        }
        return count;
    }
};

TEST_F(DisplaySnapshots, TheSameIconsUnderTwoConfigurationsAreTwoArrangements) {
    Under(layout.get(), kDocked);
    layout->TakeSnapshot(kSnapshotManual);
    SetClock(9, 16, 0);
    Under(layout.get(), kUndocked);
    layout->TakeSnapshot(kSnapshotManual);
    SetClock(9, 17, 0);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(Configurations(),
              (std::vector<std::string>{std::string("2024-03-01 09:17:00 ") + kUndocked,
                                        std::string("2024-03-01 09:15:00 ") + kDocked}));
}

// An hour undocked with one-minute autosave must not erase the docked arrangement.
TEST_F(DisplaySnapshots, TheLimitOfTenNeverTakesAConfigurationsLastOfItsKind) {
    Under(layout.get(), kDocked);
    layout->TakeSnapshot(kSnapshotManual);
    for (int i = 0; i < 3; i++) {
        hostsim::MoveIcon(0, 10 + i, 10);
        SetClock(8, i, 0);
        layout->TakeSnapshot(kSnapshotAutomatic);
    }
    Under(layout.get(), kUndocked);
    for (int i = 0; i < 60; i++) {
        hostsim::MoveIcon(0, 200 + i, 10);
        SetClock(10, i, 0);
        layout->TakeSnapshot(kSnapshotAutomatic);
    }
    EXPECT_EQ(CountUnder(kSnapshotAutomatic, kDocked), 1);
    EXPECT_EQ(CountUnder(kSnapshotAutomatic, kUndocked), 9);
    EXPECT_EQ(CountUnder(kSnapshotManual, kDocked), 1);
    // The docked one kept is the newest docked: the older ones gave way first.
    std::vector<std::string> listed = Configurations();
    EXPECT_EQ(listed.back(), std::string("2024-03-01 08:02:00 (AutoSave) ") + kDocked);
    EXPECT_EQ(listed.front(), std::string("2024-03-01 10:59:00 (AutoSave) ") + kUndocked);
}

// Records from a file of an earlier version have no configuration to keep and go first; once
// every record is the last of its configuration, the oldest of the kind gives way as before.
TEST_F(DisplaySnapshots, RecordsWithoutConfigurationGiveWayAsTheOldestAlwaysDid) {
    std::string file = "[Settings]\r\nAutoSave=2\r\n[Saves]\r\n";
    for (int i = 9; i >= 0; i--) {
        file += "2024-02-01 08:0" + std::to_string(i) + ":00=A;" + std::to_string(i) + ";1;\r\n";
    }
    WriteSettingsFile(file);
    NewRun();
    Under(layout.get(), kDocked);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(CountUnder(kSnapshotManual, ""), 9);
    EXPECT_EQ(Configurations().back(), "2024-02-01 08:01:00 ");

    // Ten configurations, one record each: the oldest of the kind gives way.
    std::vector<std::string> keys;
    for (int i = 0; i < 10; i++) {
        keys.push_back("0,0,800," + std::to_string(600 + i) + "|0,0,800,600@96");
        Under(layout.get(), keys.back().c_str());
        hostsim::MoveIcon(0, 300 + i, 10);
        SetClock(11, i, 0);
        layout->TakeSnapshot(kSnapshotManual);
    }
    EXPECT_EQ(CountUnder(kSnapshotManual, ""), 0);
    EXPECT_EQ(CountUnder(kSnapshotManual, kDocked), 0);
    EXPECT_EQ(Snapshots().size(), 10u);
}

TEST_F(DisplaySnapshots, ConfigurationsHaveSectionsOfTheirOwnAndTheOptionIsWrittenOnlyWhileOn) {
    Under(layout.get(), kDocked);
    layout->TakeSnapshot(kSnapshotAutomatic);
    Under(layout.get(), "");
    hostsim::MoveIcon(0, 20, 20);
    layout->TakeSnapshot(kSnapshotManual);
    const std::string written = "[Settings]\r\nAutoSave=2\r\n"
                                "[AutoSaves]\r\n2024-03-01 09:15:00 (AutoSave)=A;10;10;B;90;10;\r\n"
                                "[Saves]\r\n2024-03-01 09:15:00=A;20;20;B;90;10;\r\n"
                                "[AutoSaveDisplays]\r\n2024-03-01 09:15:00 (AutoSave)=" +
                                std::string(kDocked) +
                                "\r\n[AutoSaveTimes]\r\n"
                                "2024-03-01 09:15:00 (AutoSave)=2024-03-01T09:15:00Z\r\n"
                                "[SaveTimes]\r\n2024-03-01 09:15:00=2024-03-01T09:15:00Z\r\n";
    EXPECT_EQ(SettingsFile(), written);

    layout->restoreOnDisplayChange = 1;
    layout->SaveSettings();
    std::string on = written;
    on.insert(on.find("[AutoSaves]"), "RestoreOnDisplayChange=1\r\n");
    EXPECT_EQ(SettingsFile(), on);
    NewRun();
    EXPECT_EQ(layout->restoreOnDisplayChange, 1);
    EXPECT_EQ(Configurations(),
              (std::vector<std::string>{"2024-03-01 09:15:00 ",
                                        std::string("2024-03-01 09:15:00 (AutoSave) ") + kDocked}));
    layout->restoreOnDisplayChange = 0;
    layout->SaveSettings();
    EXPECT_EQ(SettingsFile().find("RestoreOnDisplayChange"), std::string::npos);
}

// "RestoreAtStartup=1" stands in the file only while the option is on, and a copy that did not
// change it since its last save takes the choice another copy saved.
TEST_F(DisplaySnapshots, RestoreAtStartUpIsWrittenOnlyWhileOnAndFollowsAnotherCopysChoice) {
    layout->TakeSnapshot(kSnapshotManual);
    const std::string off = SettingsFile();
    layout->restoreAtStartup = 1;
    layout->SaveSettings();
    std::string on = off;
    on.insert(on.find("\r\n[") + 2, "RestoreAtStartup=1\r\n");
    EXPECT_EQ(SettingsFile(), on);

    CDesktopLayout other;
    other.LoadSettings();
    EXPECT_EQ(other.restoreAtStartup, 1);
    other.restoreAtStartup = 0;
    other.SaveSettings();
    hostsim::MoveIcon(0, 30, 30);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(layout->restoreAtStartup, 0);
    EXPECT_EQ(SettingsFile().find("RestoreAtStartup"), std::string::npos);
}

// A file of an earlier version loads every snapshot and is written back as it was; configurations
// of names it does not hold, or hand-edited ones, harm nothing.
TEST_F(DisplaySnapshots, FilesWrittenBeforeLoadAndSaveAsTheyWere) {
    const std::string before = "[Settings]\r\nAutoSave=1\r\n"
                               "[Saves]\r\n2024-03-01 09:00:00=A;1;1;\r\n"
                               "[AutoSaves]\r\n2024-03-01 09:10:00 (AutoSave)=A;2;2;\r\n";
    WriteSettingsFile(before + "[SaveDisplays]\r\ngone=1,2,3,4|1,2,3,4@96\r\n"
                               "[AutoSaveDisplays]\r\n2024-03-01 09:10:00 (AutoSave)=\r\n"
                               "[Settings]\r\nRestoreOnDisplayChange=0\r\n");
    NewRun();
    EXPECT_EQ(Snapshots().size(), 2u);
    EXPECT_EQ(layout->restoreOnDisplayChange, 0);
    layout->SaveSettings();
    EXPECT_EQ(SettingsFile(), before);
}

TEST_F(DisplaySnapshots, RestoreTakesTheNewestOfTheConfigurationAndUndoTakesItBack) {
    Under(layout.get(), kDocked);
    hostsim::MoveIcon(0, 11, 11);
    layout->TakeSnapshot(kSnapshotManual);
    SetClock(9, 20, 0);
    hostsim::MoveIcon(0, 22, 22);
    layout->TakeSnapshot(kSnapshotAutomatic);
    SetClock(9, 25, 0);
    Under(layout.get(), kUndocked);
    hostsim::MoveIcon(0, 33, 33);
    layout->TakeSnapshot(kSnapshotManual);
    // Loaded as the file holds them, not sorted: newest is by name, not by place.
    NewRun();
    // The host has no shell windows object, which an automatic restore takes for a shell still
    // starting and waits for; the configurations are the point here.
    layout->desktopRoute = kRouteListView;

    hostsim::MoveIcon(0, 500, 500);
    EXPECT_EQ(layout->RestoreNewestUnder(kDocked), 1);
    EXPECT_EQ(hostsim::Icons()[0].x, 22);
    EXPECT_EQ(layout->RestoreNewestUnder(kUndocked), 1);
    EXPECT_EQ(hostsim::Icons()[0].x, 33);
    EXPECT_EQ(layout->RestoreNewestUnder("0,0,1,1|0,0,1,1@96"), 0);
    EXPECT_EQ(layout->RestoreNewestUnder(""), 0);
    EXPECT_EQ(layout->undoStack->count, 2);
    layout->Undo();
    layout->Undo();
    EXPECT_EQ(hostsim::Icons()[0].x, 500);
    EXPECT_STREQ(NewestSnapshot(*layout->snapshots)->name, "2024-03-01 09:25:00");

    // Nobody chose this restore: a desktop that cannot be read gets no box and keeps its icons.
    hostsim::SetShellHung(true);
    EXPECT_EQ(layout->RestoreNewestUnder(kDocked), -1);
    hostsim::SetShellHung(false);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    EXPECT_EQ(hostsim::Icons()[0].x, 500);
}

// Snapshots taken since the last save are filed into the file another copy wrote, configuration
// and all; the option follows the same rule as the autosave interval.
TEST_F(DisplaySnapshots, AnotherCopysFileKeepsConfigurationsAndTheOption) {
    CDesktopLayout& first = *layout;
    CDesktopLayout second;
    second.LoadSettings();
    Under(&first, kDocked);
    Under(&second, kUndocked);

    first.TakeSnapshot(kSnapshotManual);
    SetClock(9, 16, 0);
    hostsim::MoveIcon(0, 40, 40);
    second.restoreOnDisplayChange = 1;
    second.TakeSnapshot(kSnapshotManual);
    SetClock(9, 17, 0);
    hostsim::MoveIcon(0, 70, 70);
    first.TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(first.restoreOnDisplayChange, 1);

    NewRun();
    EXPECT_EQ(Configurations(),
              (std::vector<std::string>{std::string("2024-03-01 09:16:00 ") + kUndocked,
                                        std::string("2024-03-01 09:15:00 ") + kDocked,
                                        std::string("2024-03-01 09:17:00 (AutoSave) ") + kDocked}));
    EXPECT_EQ(layout->restoreOnDisplayChange, 1);
}

} // namespace

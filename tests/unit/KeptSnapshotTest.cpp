// Snapshots a user names and keeps: the limit of ten passes them by, nothing renews them, the
// settings file keeps them in sections of their own, and another copy's save leaves the user's
// edits standing.
#include "unit/SnapshotStoreFixture.h"
#include "store/SnapshotEdit.h"
#include "store/SnapshotName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using storetest::SnapshotStore;

class KeptSnapshots : public SnapshotStore {
  protected:
    static SnapshotEdit Edit(SnapshotEditAction action, const char* name, const char* newName = "",
                             bool kept = false) {
        SnapshotEdit edit = {action, kSnapshotManual, {}, {}, kept};
        strcpy(edit.name, name);
        strcpy(edit.newName, newName);
        return edit;
    }

    const LayoutSnapshot* Find(const CDesktopLayout& core, const char* name) const {
        return FindSnapshot(*core.snapshots, kSnapshotManual, name);
    }
};

TEST_F(KeptSnapshots, AKeptSnapshotOutlivesElevenSavesAndIsNeverRenewed) {
    EXPECT_EQ(layout->KeepDesktopAs("Work"), kSavedNow);

    for (int i = 0; i < 11; i++) {
        hostsim::MoveIcon(0, 400 + i, 10);
        SetClock(10, i, 0);
        layout->TakeSnapshot(kSnapshotManual);
    }
    EXPECT_EQ(Snapshots().size(), 11u);
    ASSERT_NE(Find(*layout, "Work"), nullptr);
    EXPECT_EQ(Find(*layout, "2024-03-01 10:00:00"), nullptr);

    // The desktop only "Work" holds is a new snapshot; "Work" keeps its layout and moment.
    hostsim::MoveIcon(0, 10, 10);
    SetClock(11, 0, 0);
    const SnapshotMoment workTaken = Find(*layout, "Work")->moment;
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_STREQ(NewestSnapshot(*layout->snapshots)->name, "2024-03-01 11:00:00");
    EXPECT_EQ(Find(*layout, "Work")->moment, workTaken);
    EXPECT_EQ(Snapshots().size(), 11u);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

// A renamed snapshot is kept and keeps its moment, so the newest is still the newest; a file that
// holds one loads and saves byte for byte.
TEST_F(KeptSnapshots, ARenamedSnapshotIsKeptKeepsItsMomentAndLoadsAndSavesAsItWas) {
    layout->TakeSnapshot(kSnapshotManual);
    SetClock(9, 20, 0);
    hostsim::MoveIcon(0, 50, 50);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_TRUE(layout->EditSnapshot(Edit(kEditRename, "2024-03-01 09:20:00", "Games")));
    EXPECT_FALSE(layout->EditSnapshot(Edit(kEditRename, "2024-03-01 09:20:00", "Other")));
    EXPECT_STREQ(NewestSnapshot(*layout->snapshots)->name, "Games");
    EXPECT_TRUE(Find(*layout, "Games")->kept);

    const std::string written = SettingsFile();
    EXPECT_NE(written.find("[SaveTimes]\r\nGames=2024-03-01T09:20:00Z\r\n"
                           "2024-03-01 09:15:00=2024-03-01T09:15:00Z\r\n[SaveKept]\r\nGames=1\r\n"),
              std::string::npos);
    NewRun();
    EXPECT_STREQ(NewestSnapshot(*layout->snapshots)->name, "Games");
    layout->SaveSettings();
    EXPECT_EQ(SettingsFile(), written);

    // Marks of a hand-edited file: "0" keeps nothing, a name the kind does not hold is dropped.
    std::string edited = written;
    edited.insert(edited.find("Games=1\r\n") + 9, "Gone=1\r\n2024-03-01 09:15:00=0\r\n");
    WriteSettingsFile(edited);
    NewRun();
    layout->SaveSettings();
    EXPECT_EQ(SettingsFile(), written);

    // Neither kept any more: the section goes with the last one.
    EXPECT_TRUE(layout->EditSnapshot(Edit(kEditKeep, "Games", "", false)));
    EXPECT_EQ(SettingsFile().find("Kept"), std::string::npos);
    EXPECT_TRUE(layout->EditSnapshot(Edit(kEditDelete, "Games")));
    EXPECT_EQ(Snapshots().size(), 1u);
}

// Each edit of the first copy reaches a file the second copy wrote since: none comes undone, and
// neither does anything the second took.
TEST_F(KeptSnapshots, AnotherCopysSavesLeaveThisCopysRenamesDeletesAndKeepsStanding) {
    CDesktopLayout& first = *layout;
    for (int i = 0; i < 3; i++) {
        hostsim::MoveIcon(0, 10 + i, 10);
        SetClock(9, i, 0);
        first.TakeSnapshot(kSnapshotManual);
    }
    CDesktopLayout second;
    second.LoadSettings();
    const SnapshotEdit edits[] = {Edit(kEditRename, "2024-03-01 09:00:00", "Work"),
                                  Edit(kEditDelete, "2024-03-01 09:01:00"),
                                  Edit(kEditKeep, "2024-03-01 09:02:00", "", true)};
    int minute = 10;
    for (const SnapshotEdit& edit : edits) {
        hostsim::MoveIcon(1, 100 + minute, 10);
        SetClock(9, minute++, 0);
        second.TakeSnapshot(kSnapshotManual);
        EXPECT_TRUE(first.EditSnapshot(edit));
    }
    // The second copy's next save takes them in as well.
    hostsim::MoveIcon(1, 200, 10);
    SetClock(9, 30, 0);
    second.TakeSnapshot(kSnapshotAutomatic);

    NewRun();
    ASSERT_NE(Find(*layout, "Work"), nullptr);
    EXPECT_TRUE(Find(*layout, "Work")->kept);
    EXPECT_EQ(Find(*layout, "2024-03-01 09:00:00"), nullptr);
    EXPECT_EQ(Find(*layout, "2024-03-01 09:01:00"), nullptr);
    EXPECT_TRUE(Find(*layout, "2024-03-01 09:02:00")->kept);
    for (const char* taken :
         {"2024-03-01 09:10:00", "2024-03-01 09:11:00", "2024-03-01 09:12:00"}) {
        EXPECT_NE(Find(*layout, taken), nullptr) << taken;
    }
    EXPECT_EQ(Snapshots().size(), 6u);
}

TEST(SnapshotNames, ANewNameIsWholeUtf8UniqueInItsKindAndFitsTheSettingsFile) {
    EXPECT_EQ(CheckSnapshotName("Work"), kNameFits);
    EXPECT_EQ(CheckSnapshotName("Spiele \xc3\xbc 2"), kNameFits);
    EXPECT_EQ(CheckSnapshotName(std::string(63, 'a').c_str()), kNameFits);
    EXPECT_EQ(CheckSnapshotName(""), kNameEmpty);
    EXPECT_EQ(CheckSnapshotName(std::string(64, 'a').c_str()), kNameTooLong);
    EXPECT_EQ(CheckSnapshotName("cut \xc3"), kNameNotWholeCharacters);
    EXPECT_EQ(CheckSnapshotName("tab\there"), kNameHasControlCharacter);
    EXPECT_EQ(CheckSnapshotName("a=b"), kNameHasEqualsSign);
    EXPECT_EQ(CheckSnapshotName("[Saves]"), kNameStartsBadly);
    EXPECT_EQ(CheckSnapshotName(" Work"), kNameStartsBadly);
    EXPECT_EQ(CheckSnapshotName("Newest"), kNameReserved);
    EXPECT_STRNE(SnapshotNameProblemText(kNameTaken), "");

    CPtrList list;
    list.Append(NewSnapshot("Work", "A;1;1;", kSnapshotManual));
    const LayoutSnapshot* work = static_cast<const LayoutSnapshot*>(list.head->data);
    EXPECT_EQ(CheckNewSnapshotName(list, kSnapshotManual, "Work", nullptr), kNameTaken);
    EXPECT_EQ(CheckNewSnapshotName(list, kSnapshotManual, "Work", work), kNameFits);
    EXPECT_EQ(CheckNewSnapshotName(list, kSnapshotAutomatic, "Work", nullptr), kNameFits);
    FreeSnapshots(&list);
}

} // namespace

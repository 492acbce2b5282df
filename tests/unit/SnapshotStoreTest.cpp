// Snapshots, restore, undo and the settings file, over the simulated desktop, clock and registry.
#include "unit/SnapshotStoreFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using initest::ReadBytes;
using initest::WriteBytes;
using storetest::SnapshotStore;
using storetest::Stored;

// ---- Taking snapshots -------------------------------------------------------------------------

TEST_F(SnapshotStore, UnchangedDesktopRenewsTheNameOfItsSnapshot) {
    layout->TakeSnapshot(kSnapshotManual);
    SetClock(9, 20, 5);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(Snapshots(),
              (std::vector<Stored>{{"2024-03-01 09:20:05", "A;10;10;B;90;10;", kSnapshotManual}}));
}

TEST_F(SnapshotStore, ManualAndAutomaticSnapshotsOfOneDesktopAreTwoRecords) {
    layout->TakeSnapshot(kSnapshotManual);
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(Snapshots(),
              (std::vector<Stored>{{"2024-03-01 09:15:00 (AutoSave)", "A;10;10;B;90;10;", 1},
                                   {"2024-03-01 09:15:00", "A;10;10;B;90;10;", 0}}));
}

TEST_F(SnapshotStore, EleventhDistinctSaveOverwritesTheOldestOfItsKind) {
    layout->TakeSnapshot(kSnapshotAutomatic);
    for (int i = 0; i < 11; i++) {
        hostsim::MoveIcon(0, 100 + i, 10);
        SetClock(10, i, 0);
        layout->TakeSnapshot(kSnapshotManual);
    }
    std::vector<Stored> stored = Snapshots();
    ASSERT_EQ(stored.size(), 11u);
    EXPECT_EQ(stored[0].name, "2024-03-01 10:10:00");
    EXPECT_EQ(stored[0].layout, "A;110;10;B;90;10;");
    // The first manual save (10:00) is gone; the automatic one, older still, stays.
    EXPECT_EQ(stored[9].name, "2024-03-01 10:01:00");
    EXPECT_EQ(stored[10].kind, kSnapshotAutomatic);
}

// At logon the list view is there before its icons: a record of nothing would push out a good one
// and vanish at the next load anyway.
TEST_F(SnapshotStore, NoDesktopOrAnEmptyOneIsNotSnapshotted) {
    hostsim::RemoveShell();
    NewRun();
    layout->TakeSnapshot(kSnapshotAutomatic);
    hostsim::ResetDesktop({});
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_TRUE(Snapshots().empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("Quillmarsh.ini")));
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

// The list sorts records, and each is compared by its name, wherever the record keeps it.
TEST(SnapshotNameOrder, NewestFirstAndAutomaticBeforeManualOfTheSameSecond) {
    std::unique_ptr<LayoutSnapshot> auto30(
        NewSnapshot("2024-03-01 08:15:30 (AutoSave)", "A;1;1;", kSnapshotAutomatic));
    std::unique_ptr<LayoutSnapshot> manual30(
        NewSnapshot("2024-03-01 08:15:30", "A;2;2;", kSnapshotManual));
    std::unique_ptr<LayoutSnapshot> manual10(
        NewSnapshot("2024-03-01 08:10:00", "A;3;3;", kSnapshotManual));
    CPtrList list;
    list.Append(manual10.get());
    list.Append(auto30.get());
    list.Append(manual30.get());
    list.Sort(SnapshotNameLess);
    EXPECT_EQ(list.head->data, auto30.get());
    EXPECT_EQ(list.head->next->data, manual30.get());
    EXPECT_EQ(list.tail->data, manual10.get());
    EXPECT_EQ(SnapshotNameLess(manual10.get(), manual30.get()), 1);
    EXPECT_EQ(SnapshotNameLess(manual30.get(), manual10.get()), 0);
    EXPECT_EQ(NameLess("z", "\xe9"), 1);
    EXPECT_EQ(NameLess("z", "z"), 0);
}

// ---- Restore and undo -------------------------------------------------------------------------

TEST_F(SnapshotStore, RestorePushesOnlyWhenSomethingMoved) {
    layout->TakeSnapshot(kSnapshotManual);
    layout->RestoreSnapshot(0);
    EXPECT_EQ(layout->undoStack->count, 0);
    layout->RestoreSnapshot(1);
    layout->RestoreSnapshot(-1);
    EXPECT_EQ(layout->undoStack->count, 0);
}

TEST_F(SnapshotStore, TwoUndosPutBackTwoRestoresInReverseOrder) {
    layout->TakeSnapshot(kSnapshotManual); // A at 10
    hostsim::MoveIcon(0, 200, 200);
    SetClock(9, 16, 0);
    layout->TakeSnapshot(kSnapshotManual); // A at 200
    hostsim::MoveIcon(0, 300, 300);

    layout->RestoreSnapshot(1); // 300 -> 10
    layout->RestoreSnapshot(0); // 10 -> 200
    ASSERT_EQ(layout->undoStack->count, 2);
    layout->Undo();
    EXPECT_EQ(hostsim::Icons()[0].x, 10);
    layout->Undo();
    EXPECT_EQ(hostsim::Icons()[0].x, 300);
    EXPECT_EQ(layout->undoStack->count, 0);
    layout->Undo();
    EXPECT_EQ(hostsim::Icons()[0].x, 300);
}

// The tray menu restores its own copy of a snapshot's layout, whatever became of the record.
TEST_F(SnapshotStore, RestoreOfALayoutTextUndoesLikeARestoreOfASnapshot) {
    layout->RestoreLayout("B;90;10;A;10;10;");
    EXPECT_EQ(layout->undoStack->count, 0);
    layout->RestoreLayout("A;300;200;");
    EXPECT_EQ(hostsim::Icons()[0].x, 300);
    EXPECT_EQ(hostsim::Icons()[1].x, 90);
    ASSERT_EQ(layout->undoStack->count, 1);
    EXPECT_STREQ(static_cast<const char*>(layout->undoStack->tail->data), "A;10;10;B;90;10;");
    EXPECT_EQ(layout->snapshots->count, 0);
    layout->Undo();
    EXPECT_EQ(hostsim::Icons()[0].x, 10);
}

TEST_F(SnapshotStore, RestoreAndUndoLeaveTheFileAlone) {
    layout->TakeSnapshot(kSnapshotManual);
    std::string written = SettingsFile();
    hostsim::MoveIcon(1, 5, 5);
    layout->RestoreSnapshot(0);
    layout->Undo();
    EXPECT_EQ(SettingsFile(), written);
}

// ---- The settings file ------------------------------------------------------------------------

TEST_F(SnapshotStore, StoreWithoutSnapshotsIsWrittenAsTwoLines) {
    EXPECT_EQ(layout->autoSaveMode, 2);
    layout->SaveSettings();
    EXPECT_EQ(SettingsFile(), "[Settings]\r\nAutoSave=2\r\n");
}

TEST_F(SnapshotStore, SectionsFollowTheFirstSnapshotOfEachKind) {
    layout->autoSaveMode = kAutoSaveEveryHour;
    layout->TakeSnapshot(kSnapshotManual);
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(SettingsFile(), "[Settings]\r\nAutoSave=3\r\n"
                              "[AutoSaves]\r\n2024-03-01 09:15:00 (AutoSave)=A;10;10;B;90;10;\r\n"
                              "[Saves]\r\n2024-03-01 09:15:00=A;10;10;B;90;10;\r\n"
                              "[AutoSaveTimes]\r\n"
                              "2024-03-01 09:15:00 (AutoSave)=2024-03-01T09:15:00Z\r\n"
                              "[SaveTimes]\r\n2024-03-01 09:15:00=2024-03-01T09:15:00Z\r\n");
    NewRun();
    EXPECT_EQ(layout->autoSaveMode, 3);
    // Manual snapshots load first, whatever the order of the sections.
    EXPECT_EQ(Snapshots(),
              (std::vector<Stored>{{"2024-03-01 09:15:00", "A;10;10;B;90;10;", 0},
                                   {"2024-03-01 09:15:00 (AutoSave)", "A;10;10;B;90;10;", 1}}));
}

TEST_F(SnapshotStore, LoadKeepsEveryEntryWithAValue) {
    std::string file = "[Settings]\r\nAutoSave=1\r\n[Saves]\r\n";
    for (int i = 0; i < 12; i++) {
        file +=
            "2024-01-" + std::to_string(10 + i) + " 00:00:00=A;" + std::to_string(i) + ";0;\r\n";
    }
    file += "empty=\r\n[saves]\r\nlower=A;1;1;\r\n[Other]\r\nx=A;2;2;\r\n";
    WriteSettingsFile(file);
    NewRun();
    EXPECT_EQ(layout->autoSaveMode, 1);
    std::vector<Stored> stored = Snapshots();
    ASSERT_EQ(stored.size(), 12u);
    EXPECT_EQ(stored[0], (Stored{"2024-01-10 00:00:00", "A;0;0;", 0}));
    EXPECT_EQ(stored[11], (Stored{"2024-01-21 00:00:00", "A;11;0;", 0}));
}

TEST_F(SnapshotStore, HandEditedValuesLoadWithinBounds) {
    WriteSettingsFile("[Settings]\nAutoSave=often\n[AutoSaves]\n" + std::string(100, 'n') +
                      "=A;1;1;\n");
    NewRun();
    EXPECT_EQ(layout->autoSaveMode, 0);
    ASSERT_EQ(Snapshots().size(), 1u);
    EXPECT_EQ(Snapshots()[0].name, std::string(63, 'n'));
}

// A number that no menu entry stands for is kept as it stands and written back unchanged, by this
// copy's save and when a save takes in what another copy wrote.
TEST_F(SnapshotStore, AnyAutoSaveNumberIsWrittenBackAsItStands) {
    for (const char* number : {"-7", "4", "-2147483648", "2147483647", "0", "3"}) {
        const std::string file = std::string("[Settings]\r\nAutoSave=") + number + "\r\n";
        WriteSettingsFile(file);
        NewRun();
        EXPECT_EQ(std::to_string(static_cast<int>(layout->autoSaveMode)), number);
        layout->SaveSettings();
        EXPECT_EQ(SettingsFile(), file);

        WriteSettingsFile("[Settings]\r\nAutoSave=1\r\n");
        NewRun();
        WriteSettingsFile(file + "[Other]\r\n");
        layout->SaveSettings();
        EXPECT_EQ(SettingsFile(), file) << number;
    }
}

// Both would be saved under the one cut name, and the next load would find a single snapshot.
TEST_F(SnapshotStore, LongNamesCutAlikeStayApartThroughASave) {
    std::string stem(70, 'n');
    WriteSettingsFile("[Saves]\n" + stem + "a=A;1;1;\n" + stem + "b=A;2;2;\n" +
                      std::string(63, 'n') + "=A;3;3;\n");
    NewRun();
    std::vector<Stored> loaded = Snapshots();
    EXPECT_EQ(loaded, (std::vector<Stored>{{std::string(63, 'n'), "A;1;1;", 0},
                                           {std::string(59, 'n') + " (2)", "A;2;2;", 0},
                                           {std::string(59, 'n') + " (3)", "A;3;3;", 0}}));
    layout->SaveSettings();
    NewRun();
    EXPECT_EQ(Snapshots(), loaded);
}

// Names are UTF-8: a cut at 63 bytes never leaves half of a character, so a character that would
// pass them is left out whole, and names cut alike to fewer bytes still stay apart. "\xe2\x82\xac"
// is the euro sign, three bytes.
TEST_F(SnapshotStore, LongNamesAreCutBetweenCharacters) {
    const std::string euro = "\xe2\x82\xac";
    std::string stem = std::string(61, 'n') + euro;
    WriteSettingsFile("[Saves]\n" + stem + "a=A;1;1;\n" + stem + "b=A;2;2;\n" +
                      std::string(62, 'm') + euro + "=A;3;3;\n");
    NewRun();
    std::vector<Stored> loaded = Snapshots();
    EXPECT_EQ(loaded, (std::vector<Stored>{{std::string(61, 'n'), "A;1;1;", 0},
                                           {std::string(59, 'n') + " (2)", "A;2;2;", 0},
                                           {std::string(62, 'm'), "A;3;3;", 0}}));
    layout->SaveSettings();
    NewRun();
    EXPECT_EQ(Snapshots(), loaded);

    // The base before " (2)" is cut between characters too: 59 bytes would end inside the euro.
    std::string pair = std::string(58, 'p') + euro + euro;
    WriteSettingsFile("[Saves]\n" + pair + "a=A;1;1;\n" + pair + "b=A;2;2;\n");
    NewRun();
    EXPECT_EQ(Snapshots(), (std::vector<Stored>{{std::string(58, 'p') + euro, "A;1;1;", 0},
                                                {std::string(58, 'p') + " (2)", "A;2;2;", 0}}));
}

// The names a load gives keys of one section, by the rule: a name cut to 63 characters that is
// taken ends in the first of " (2)", " (3)", ... that is free, within the 63 characters.
std::vector<std::string> NamesMadeUnique(const std::vector<std::string>& keys) {
    std::vector<std::string> given;
    auto taken = [&given](const std::string& name) {
        return std::find(given.begin(), given.end(), name) != given.end();
    };
    for (const std::string& key : keys) {
        std::string name = key.substr(0, 63);
        for (int number = 2; name.size() == 63 && taken(name); number++) {
            std::string suffix = " (" + std::to_string(number) + ")";
            name = key.substr(0, 63 - suffix.size()) + suffix;
        }
        given.push_back(name);
    }
    return given;
}

// Many names cut alike, stems shared past the numbers below 10, and a key that spells a name the
// renaming would give: each snapshot keeps a name of its own, the one the rule gives.
TEST_F(SnapshotStore, ManyLongNamesCutAlikeGetTheNamesTheRuleGives) {
    std::vector<std::string> keys;
    std::string stem(58, 's');
    keys.push_back(stem + "a (3)");
    for (int i = 0; i < 150; i++) {
        keys.push_back(stem + "abcdef" + std::to_string(i));
        keys.push_back(stem + "abcdXY" + std::to_string(i));
        keys.push_back(stem + "b" + std::string(10, 'x') + std::to_string(i));
        keys.push_back(stem + std::to_string(i % 7) + std::string(10, 'y') + std::to_string(i));
    }
    keys.push_back(stem + "a (200)");
    std::string text = "[Saves]\n";
    for (size_t i = 0; i < keys.size(); i++) {
        text += keys[i] + "=A;" + std::to_string(i) + ";1;\n";
    }
    WriteSettingsFile(text);
    NewRun();
    std::vector<std::string> expected = NamesMadeUnique(keys);
    std::vector<Stored> loaded = Snapshots();
    ASSERT_EQ(loaded.size(), keys.size());
    for (size_t i = 0; i < loaded.size(); i++) {
        EXPECT_EQ(loaded[i].name, expected[i]) << "key " << i;
        EXPECT_EQ(loaded[i].layout, "A;" + std::to_string(i) + ";1;");
    }
    layout->SaveSettings();
    NewRun();
    EXPECT_EQ(Snapshots(), loaded);
}

// A long layout whose names need escaping writes a line far longer than the text; lines were cut
// when they were read, and the icons at their end lost their places.
TEST_F(SnapshotStore, LongLayoutWithEscapedNamesSurvivesASaveAndReload) {
    const size_t kLength = 200000;
    std::string full;
    while (full.size() + 20 <= kLength) {
        full += "Tab\tName\\;10;10;";
    }
    full += std::string(kLength - full.size(), 'z');
    layout->snapshots->Append(
        NewSnapshot("2024-03-01 09:15:00 (AutoSave)", full.c_str(), kSnapshotAutomatic));
    layout->SaveSettings();
    NewRun();
    ASSERT_EQ(Snapshots().size(), 1u);
    EXPECT_EQ(Snapshots()[0].layout, full);
}

TEST_F(SnapshotStore, LoadEmptiesTheUndoStackWithoutAFile) {
    layout->undoStack->Append(new char[16]());
    layout->LoadSettings();
    EXPECT_EQ(layout->undoStack->count, 0);
    EXPECT_EQ(layout->snapshots->count, 0);
    EXPECT_EQ(layout->autoSaveMode, 2);
}

TEST_F(SnapshotStore, UnwritableFolderShowsTheMessageEachSaveAndKeepsTheStore) {
    // The settings file's folder is a plain file, so nothing can be created in it.
    WriteBytes(scratch.Path("folder"), "not a folder");
    hostsim::SetModuleFileName(scratch.Path("folder").string() + "/quillmarsh.exe");
    NewRun();
    layout->TakeSnapshot(kSnapshotManual);
    layout->TakeSnapshot(kSnapshotAutomatic);
    std::vector<hostsim::MessageBoxRecord> boxes = hostsim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Could not create file for writting!");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(Snapshots().size(), 2u);
    EXPECT_EQ(ReadBytes(scratch.Path("folder")), "not a folder");
}

} // namespace

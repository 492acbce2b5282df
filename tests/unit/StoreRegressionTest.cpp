// Ways in which a user lost an arrangement, got the wrong one back or was told nothing: one test
// for each, over the simulated desktop and real files in a scratch folder.
#include "base/BoundedText.h"
#include "ini/FileAccess.h"
#include "unit/ImmutableFlag.h"
#include "unit/SnapshotStoreFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using initest::ReadBytes;
using initest::WriteBytes;
using storetest::Stored;

const char kCannotWrite[] = "Could not create file for writting!";
const char kNoName[] = "No name specified for saving ini!";
const char kCannotRead[] = "Could not read the desktop icons!";
const char kAutoArranged[] =
    "Auto arrange is on: turn it off in the desktop's View menu to restore icons!";

const char kTwoSaves[] = "[Settings]\r\nAutoSave=1\r\n[Saves]\r\n"
                         "2024-02-01 08:00:00=A;1;1;B;2;2;\r\n"
                         "2024-02-01 07:00:00=A;3;3;B;4;4;\r\n";

class StoreRegression : public storetest::SnapshotStore {
  protected:
    std::string Path(const std::string& name) const { return scratch.Path(name).string(); }

    static std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const hostsim::MessageBoxRecord& box : hostsim::MessageBoxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }

    // What a fresh start of the program would find in the file.
    std::vector<Stored> StoredInFile(int* autoSaveMode = nullptr) const {
        CDesktopLayout reader;
        reader.LoadSettings();
        if (autoSaveMode) {
            *autoSaveMode = reader.autoSaveMode;
        }
        return SnapshotsOf(reader);
    }

    void NextDesktop(int hour, int minute, int x) {
        SetClock(hour, minute, 0);
        hostsim::MoveIcon(0, x, x);
    }
};

// ---- A settings file that cannot be read is never replaced -------------------------------------

// A sync client or a virus scanner holds the file at logon. It used to read as no file, and the
// start's snapshot replaced it: every stored snapshot was gone.
TEST_F(StoreRegression, FileThatCannotBeReadAtStartIsKeptAndJoinedOnceItCanBe) {
    WriteSettingsFile(kTwoSaves);
    // Something that opens but cannot be read stands at the file's place while it is held.
    fs::rename(Path("Quillmarsh.ini"), Path("held"));
    fs::create_directory(Path("Quillmarsh.ini"));
    NewRun();
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCannotWrite});
    EXPECT_TRUE(fs::is_directory(Path("Quillmarsh.ini")));

    fs::remove(Path("Quillmarsh.ini"));
    fs::rename(Path("held"), Path("Quillmarsh.ini"));
    NextDesktop(9, 16, 50);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(layout->autoSaveMode, 1);
    EXPECT_EQ(SettingsFile(), "[Settings]\r\nAutoSave=1\r\n[Saves]\r\n"
                              "2024-03-01 09:16:00=A;50;50;B;90;10;\r\n"
                              "2024-02-01 08:00:00=A;1;1;B;2;2;\r\n"
                              "2024-02-01 07:00:00=A;3;3;B;4;4;\r\n"
                              "[AutoSaves]\r\n"
                              "2024-03-01 09:15:00 (AutoSave)=A;10;10;B;90;10;\r\n"
                              "[SaveTimes]\r\n2024-03-01 09:16:00=2024-03-01T09:16:00Z\r\n"
                              "[AutoSaveTimes]\r\n"
                              "2024-03-01 09:15:00 (AutoSave)=2024-03-01T09:15:00Z\r\n");
    EXPECT_EQ(BoxTexts().size(), 1u);
}

// ---- Files of earlier versions ----------------------------------------------------------------

// Their names are in the ANSI code page (1252 here): they load by the same names and are written
// in UTF-8, none lost.
TEST_F(StoreRegression, AFileInTheAnsiCodePageLoadsAndIsWrittenInUtf8) {
    WriteSettingsFile("[Settings]\r\nAutoSave=1\r\n[Saves]\r\nCaf\xe9 set=Caf\xe9;1;2;\r\n"
                      "2024-02-01 08:00:00=A;1;1;\r\n[AutoSaves]\r\nB\xfcro=B\xfcro;5;5;\r\n");
    NewRun();
    layout->SaveSettings();
    EXPECT_EQ(SettingsFile(),
              "[Settings]\r\nAutoSave=1\r\n[Saves]\r\nCaf\xc3\xa9 set=Caf\xc3\xa9;1;2;\r\n"
              "2024-02-01 08:00:00=A;1;1;\r\n[AutoSaves]\r\nB\xc3\xbcro=B\xc3\xbcro;5;5;\r\n");
}

// On a Japanese system (code page 932) the second byte of "ソ" and "表" is a backslash, which the
// escaping of those versions doubled: every such name read with a stray backslash, was never
// restored and was written back wrong.
TEST_F(StoreRegression, AFileInADoubleByteCodePageLoadsItsNamesWhole) {
    initest::AnsiCodePage japanese(932);
    WriteSettingsFile(
        "[Settings]\r\nAutoSave=1\r\n[Saves]\r\n\x95\x5c=\x83\x5c\x5c;1;2;A;3;4;\r\n");
    NewRun();
    const std::string so = "\xe3\x82\xbd", hyou = "\xe8\xa1\xa8";
    EXPECT_EQ(Snapshots(), (std::vector<Stored>{{hyou, so + ";1;2;A;3;4;", kSnapshotManual}}));
    layout->SaveSettings();
    EXPECT_EQ(SettingsFile(),
              "[Settings]\r\nAutoSave=1\r\n[Saves]\r\n" + hyou + "=" + so + ";1;2;A;3;4;\r\n");
}

// ---- Two copies of the program over one file ----------------------------------------------------

// Each copy loaded once and rewrote the whole file: the last writer won.
TEST_F(StoreRegression, TwoCopiesKeepEachOthersSnapshotsAndChoices) {
    CDesktopLayout& first = *layout;
    CDesktopLayout second;
    second.LoadSettings();

    first.TakeSnapshot(kSnapshotManual);
    NextDesktop(9, 16, 40);
    second.TakeSnapshot(kSnapshotManual);
    second.autoSaveMode = kAutoSaveEveryHour;
    second.SaveSettings();
    NextDesktop(9, 17, 70);
    first.TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(first.autoSaveMode, 3);

    int mode = 0;
    EXPECT_EQ(StoredInFile(&mode),
              (std::vector<Stored>{{"2024-03-01 09:16:00", "A;40;40;B;90;10;", 0},
                                   {"2024-03-01 09:15:00", "A;10;10;B;90;10;", 0},
                                   {"2024-03-01 09:17:00 (AutoSave)", "A;70;70;B;90;10;", 1}}));
    EXPECT_EQ(mode, 3);

    // A choice made in this copy since its last save is not undone by the other's.
    first.autoSaveMode = kAutoSaveNever;
    first.SaveSettings();
    NextDesktop(9, 18, 80);
    second.TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(second.autoSaveMode, 0);
    EXPECT_EQ(StoredInFile(&mode).size(), 4u);
    EXPECT_EQ(mode, 0);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

// While another copy holds the lock, a save must neither look at the file nor write it.
TEST_F(StoreRegression, ASaveWaitsForTheCopyThatHoldsTheLock) {
    layout->TakeSnapshot(kSnapshotAutomatic);
    std::string before = SettingsFile();
    CFileLock* other = new CFileLock(Path("Quillmarsh.ini.lock").c_str());
    ASSERT_TRUE(other->Acquired());
    std::atomic<bool> untouchedWhileHeld(false);
    std::thread holder([&] {
        usleep(300 * 1000);
        untouchedWhileHeld = SettingsFile() == before;
        delete other;
    });
    NextDesktop(9, 16, 40);
    layout->TakeSnapshot(kSnapshotManual);
    holder.join();
    EXPECT_TRUE(untouchedWhileHeld);
    EXPECT_EQ(StoredInFile().size(), 2u);
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

// ---- Captures that did not read the desktop ----------------------------------------------------

// A failed capture came out empty or cut short, was stored all the same and, with ten of a kind,
// pushed out the oldest good one.
TEST_F(StoreRegression, FailedCapturesLeaveTenAutosavesByteForByte) {
    for (int i = 0; i < 10; i++) {
        NextDesktop(8, i, 100 + i);
        layout->TakeSnapshot(kSnapshotAutomatic);
    }
    std::string before = SettingsFile();
    NextDesktop(9, 0, 300);
    hostsim::SetShellHung(true);
    layout->TakeSnapshot(kSnapshotAutomatic);
    hostsim::SetShellHung(false);
    hostsim::RemoveListView();
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(SettingsFile(), before);
    EXPECT_EQ(Snapshots().size(), 10u);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());

    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCannotRead});
    EXPECT_EQ(SettingsFile(), before);
}

// Past its limit a capture fails as a whole: a layout is never stored cut.
TEST_F(StoreRegression, ADesktopPastTheCaptureLimitIsNotStoredCut) {
    layout->captureLimit = 12; // "A;10;10;" fits, "B;90;10;" would pass it
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_TRUE(Snapshots().empty());
    EXPECT_FALSE(fs::exists(Path("Quillmarsh.ini")));
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCannotRead});
    layout->captureLimit = kMaxLayoutBytes;
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(Snapshots().size(), 1u);
}

// With nothing captured there is nothing to undo to, so nothing may move.
TEST_F(StoreRegression, RestoreThatCannotReadTheDesktopSaysSo) {
    layout->TakeSnapshot(kSnapshotManual);
    hostsim::SetShellHung(true);
    layout->RestoreSnapshot(0);
    hostsim::SetShellHung(false);
    EXPECT_EQ(layout->undoStack->count, 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCannotRead});
}

// ---- Undo and the automatic restores -----------------------------------------------------------

// The entry was taken off the stack before it was applied: an Undo while the shell restarted moved
// nothing, said nothing, and lost the arrangement from before the Restore.
TEST_F(StoreRegression, AnUndoWhileTheShellIsAwayKeepsItsEntryAndSaysSo) {
    layout->TakeSnapshot(kSnapshotManual);
    hostsim::MoveIcon(0, 50, 50);
    layout->RestoreSnapshot(0);
    ASSERT_EQ(layout->undoStack->count, 1);

    hostsim::RemoveShell();
    layout->Undo();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCannotRead});
    EXPECT_EQ(layout->undoStack->count, 1);

    hostsim::ResetDesktop({{"A", 10, 10}, {"B", 90, 10}});
    layout->Undo();
    EXPECT_EQ(hostsim::Icons()[0].x, 50);
    EXPECT_EQ(layout->undoStack->count, 0);
}

// It read the desktop twice: a shell gone after the first read showed a box for a restore nobody
// asked for. A desktop that cannot be read tells the caller to try again, without a box.
TEST_F(StoreRegression, AnAutomaticRestoreReadsOnceShowsNoBoxAndTellsWhenToTryAgain) {
    const char kDisplays[] = "0,0,1920,1080|0,0,1920,1080@96";
    CopyBounded(layout->displayKey, sizeof layout->displayKey, kDisplays);
    layout->TakeSnapshot(kSnapshotManual);
    hostsim::MoveIcon(0, 50, 50);
    int counts = 0;
    hostsim::SetBeforeListViewRequest([&counts](UINT msg) {
        if (msg == LVM_GETITEMCOUNT && ++counts == 2) {
            hostsim::SetShellHung(true);
        }
    });
    layout->RestoreNewestUnder(kDisplays);
    EXPECT_TRUE(BoxTexts().empty());

    hostsim::SetBeforeListViewRequest(nullptr);
    hostsim::RemoveShell();
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), -1);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(layout->undoStack->count, 0);
}

// The list view refuses every position while it arranges its icons itself: the refused moves
// counted as moves, a Restore ran 21 passes and pushed an Undo entry for nothing, and said
// nothing. Now the user's Restore and Undo say so and move nothing, the Undo keeps its entry, an
// automatic restore is silent, a Save still works, and an apply counts only the moves it was given.
TEST_F(StoreRegression, AnAutoArrangedDesktopMovesNothingAndTheUsersRestoreSaysSo) {
    const char kDisplays[] = "0,0,1920,1080|0,0,1920,1080@96";
    CopyBounded(layout->displayKey, sizeof layout->displayKey, kDisplays);
    layout->TakeSnapshot(kSnapshotManual);
    hostsim::MoveIcon(0, 50, 50);
    layout->RestoreSnapshot(0);
    ASSERT_EQ(layout->undoStack->count, 1);
    hostsim::MoveIcon(0, 70, 70);
    const std::vector<hostsim::Icon> arranged = hostsim::Icons();

    hostsim::SetAutoArrange(true);
    layout->RestoreSnapshot(0);
    layout->Undo();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kAutoArranged, kAutoArranged}));
    EXPECT_EQ(layout->undoStack->count, 1);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), 1);
    EXPECT_EQ(BoxTexts().size(), 2u);
    EXPECT_EQ(hostsim::Icons()[0].x, arranged[0].x);
    EXPECT_EQ(layout->ApplyLayout("A;10;10;"), 0);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(Snapshots().size(), 2u);
}

// ---- Names and moments
// ---------------------------------------------------------------------------

// The file keeps one key per name: of two snapshots of one kind and one name, one was lost at the
// next load, whether one copy took both in one second or two copies saved in the same second.
TEST_F(StoreRegression, SnapshotsOfOneNameAreNumberedAndAllKept) {
    layout->TakeSnapshot(kSnapshotManual);
    hostsim::MoveIcon(0, 20, 20);
    layout->TakeSnapshot(kSnapshotManual);

    CDesktopLayout other;
    other.LoadSettings();
    hostsim::MoveIcon(0, 30, 30);
    layout->TakeSnapshot(kSnapshotManual);
    hostsim::MoveIcon(0, 40, 40);
    other.TakeSnapshot(kSnapshotManual);

    EXPECT_EQ(StoredInFile(),
              (std::vector<Stored>{{"2024-03-01 09:15:00 (4)", "A;40;40;B;90;10;", 0},
                                   {"2024-03-01 09:15:00 (3)", "A;30;30;B;90;10;", 0},
                                   {"2024-03-01 09:15:00 (2)", "A;20;20;B;90;10;", 0},
                                   {"2024-03-01 09:15:00", "A;10;10;B;90;10;", 0}}));
}

// "Newest" was the greatest local-time name: after the clock went back the arrangement from before
// stayed newest, and at the limit of ten each new snapshot overwrote the one before it.
TEST_F(StoreRegression, TheNewestIsTheLastTakenWhenTheClockGoesBack) {
    struct ZoneGuard {
        ~ZoneGuard() { hostsim::SetTimeZoneBias(0); }
    } zone;
    hostsim::SetTimeZoneBias(-120);
    for (int minute = 21; minute <= 30; minute++) {
        NextDesktop(2, minute, minute);
        layout->TakeSnapshot(kSnapshotAutomatic);
    }
    // Daylight saving time ends: 02:30 local becomes 01:30, and time goes on.
    hostsim::SetTimeZoneBias(-60);
    NextDesktop(1, 40, 140);
    layout->TakeSnapshot(kSnapshotAutomatic);
    NextDesktop(1, 41, 141);
    layout->TakeSnapshot(kSnapshotAutomatic);

    NewRun();
    std::vector<Stored> stored = Snapshots();
    ASSERT_EQ(stored.size(), 10u);
    EXPECT_EQ(NewestSnapshot(*layout->snapshots)->name,
              std::string("2024-03-01 01:41:00 (AutoSave)"));
    NextDesktop(1, 42, 142);
    layout->TakeSnapshot(kSnapshotManual);
    stored = Snapshots();
    EXPECT_EQ(stored[0].name, "2024-03-01 01:42:00");
    EXPECT_EQ(stored[1].name, "2024-03-01 01:41:00 (AutoSave)");
    EXPECT_EQ(stored[2].name, "2024-03-01 01:40:00 (AutoSave)");
    EXPECT_EQ(stored[3].name, "2024-03-01 02:30:00 (AutoSave)");
    EXPECT_EQ(stored.back().name, "2024-03-01 02:23:00 (AutoSave)");

    // A name that reads as no time is the oldest; one without a moment of its own reads as local
    // time.
    WriteSettingsFile("[Saves]\r\nBefore the move=A;1;1;\r\n2024-03-01 01:00:00=A;2;2;\r\n"
                      "[SaveTimes]\r\nBefore the move=not a time\r\n");
    NewRun();
    EXPECT_EQ(NewestSnapshot(*layout->snapshots)->name, std::string("2024-03-01 01:00:00"));
}

// ---- Error boxes
// ----------------------------------------------------------------------------------

// A box's own loop dispatches the next timer tick, whose failed save opened another box inside
// it, one more per tick, until the stack ran out.
TEST_F(StoreRegression, FailuresWhileABoxIsOpenOpenNoSecondBox) {
    WriteBytes(scratch.Path("folder"), "not a folder");
    hostsim::SetModuleFileName(Path("folder") + "/quillmarsh.exe");
    NewRun();
    int ticks = 0;
    hostsim::SetMessageBoxLoop([&] {
        while (ticks < 3) {
            ticks++;
            NextDesktop(10, ticks, 200 + ticks);
            layout->TakeSnapshot(kSnapshotAutomatic);
        }
    });
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCannotWrite});
    EXPECT_EQ(Snapshots().size(), 4u);

    // Once it is answered, the next failure is shown again.
    NextDesktop(11, 0, 400);
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(BoxTexts().size(), 2u);
}

// ---- Where the file is, and how it is written -------------------------------------------------

// A module path that the system cut, or one without a folder, gave a bare "Quillmarsh.ini" in the
// current folder (System32 at logon), and saves with no path at all were dropped in silence.
TEST_F(StoreRegression, NoUsableFolderMeansEverySaveSaysSoAndNothingIsWritten) {
    fs::path previous = fs::current_path();
    fs::current_path(scratch.Path(""));
    for (const std::string& module :
         {std::string("quillmarsh.exe"), Path("") + std::string(300, 'x') + "/quillmarsh.exe"}) {
        hostsim::ClearMessageBoxes();
        hostsim::SetModuleFileName(module);
        NewRun();
        layout->TakeSnapshot(kSnapshotAutomatic);
        layout->SaveSettings();
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kNoName, kNoName})) << module;
        EXPECT_EQ(Snapshots().size(), 1u);
    }
    fs::current_path(previous);
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{});
}

// A settings file that may be written in a folder that takes no new file: no temporary file can be
// made beside it, so the file itself is written.
TEST_F(StoreRegression, AFileWhoseFolderTakesNoNewFileIsWrittenInPlace) {
    layout->TakeSnapshot(kSnapshotAutomatic);
    fs::create_directory(Path("Quillmarsh.ini.tmp"));
    WriteBytes(scratch.Path("Quillmarsh.ini.tmp") / "inside", "kept");
    NextDesktop(9, 16, 40);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    EXPECT_EQ(StoredInFile().size(), 2u);
    EXPECT_EQ(ReadBytes(scratch.Path("Quillmarsh.ini.tmp") / "inside"), "kept");
}

// A file marked read-only is the user's choice: it fails at once and keeps its bytes.
TEST_F(StoreRegression, AReadOnlyFileIsNotReplaced) {
    layout->TakeSnapshot(kSnapshotAutomatic);
    std::string before = SettingsFile();
    chmod(Path("Quillmarsh.ini").c_str(), 0444);
    NextDesktop(9, 16, 40);
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_EQ(SettingsFile(), before);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCannotWrite});
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

// ---- Where the file lives when it cannot live beside the program --------------------------------

// Known folders under the scratch folder for one object's life; none again after it.
class KnownFolders {
  public:
    explicit KnownFolders(const fs::path& root) : local(root / "local"), desktop(root / "desktop") {
        fs::create_directory(local);
        fs::create_directory(desktop);
        hostsim::SetKnownFolder(FOLDERID_LocalAppData, local.string());
        hostsim::SetKnownFolder(FOLDERID_Desktop, desktop.string());
    }
    KnownFolders(const KnownFolders&) = delete;
    KnownFolders& operator=(const KnownFolders&) = delete;
    ~KnownFolders() { hostsim::ResetFiles(); }

    std::string LocalFile() const { return (local / "Quill Marsh" / "Quillmarsh.ini").string(); }

    const fs::path local;
    const fs::path desktop;
};

class SettingsLocationRegression : public StoreRegression {
  protected:
    // A start of the program from folder, which chooses where its settings file lives.
    void StartIn(const fs::path& folder) {
        fs::create_directories(folder);
        hostsim::SetModuleFileName((folder / "quillmarsh.exe").string());
        layout.reset(new CDesktopLayout);
        layout->ChooseSettingsFile();
        layout->LoadSettings();
    }
};

// A copy kept on the desktop put its file and, at every save, a temporary file among the icons it
// arranges; a read-only file beside a copy failed at every save. A file beside the copy that it
// may write stays where it is, even on the desktop.
TEST_F(SettingsLocationRegression, AFileThisCopyCannotKeepBesideItLivesInLocalApplicationData) {
    KnownFolders known(scratch.Path(""));
    WriteBytes(known.desktop / "kept" / "Quillmarsh.ini", "");
    StartIn(known.desktop / "kept");
    EXPECT_EQ(layout->iniPath, (known.desktop / "kept" / "Quillmarsh.ini").string());

    StartIn(known.desktop);
    EXPECT_EQ(layout->iniPath, known.LocalFile());
    layout->TakeSnapshot(kSnapshotManual);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    EXPECT_FALSE(fs::exists(known.desktop / "Quillmarsh.ini"));
    EXPECT_NE(ReadBytes(known.LocalFile()).find("\r\n2024-03-01 09:15:00=A;10;10;"),
              std::string::npos);
    fs::remove_all(known.local / "Quill Marsh");

    // What the file that cannot be written holds comes along, and the file stays as it was.
    fs::create_directory(Path("tools"));
    WriteBytes(scratch.Path("tools") / "Quillmarsh.ini", kTwoSaves);
    chmod(Path("tools/Quillmarsh.ini").c_str(), 0444);
    StartIn(scratch.Path("tools"));
    EXPECT_EQ(layout->iniPath, known.LocalFile());
    EXPECT_EQ(Snapshots().size(), 2u);
    layout->SaveSettings();
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    EXPECT_EQ(ReadBytes(scratch.Path("tools") / "Quillmarsh.ini"), kTwoSaves);
    StartIn(scratch.Path("tools"));
    EXPECT_EQ(Snapshots().size(), 2u);

    // Once a file lives there, a copy without one of its own shares it, and makes none beside it.
    StartIn(scratch.Path("portable"));
    EXPECT_EQ(layout->iniPath, known.LocalFile());
    EXPECT_EQ(Snapshots().size(), 2u);
}

// Program Files, or a folder under Controlled Folder Access: every start and autosave said
// "Could not create file for writting!" and nothing was kept.
TEST_F(SettingsLocationRegression,
       ACopyInAFolderThatTakesNoNewFileKeepsItsFileInLocalApplicationData) {
    KnownFolders known(scratch.Path(""));
    fs::create_directory(Path("protected"));
    initest::ImmutableFlag folder(Path("protected"));
    if (!folder.IsSet()) {
        GTEST_SKIP() << "no immutable folders here";
    }
    StartIn(scratch.Path("protected"));
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    EXPECT_EQ(layout->iniPath, known.LocalFile());
    StartIn(scratch.Path("protected"));
    EXPECT_EQ(Snapshots().size(), 1u);
    EXPECT_TRUE(fs::is_empty(Path("protected")));
}

} // namespace

// Hand-edited settings files (tests/program/corpus) loaded by the real quillmarsh.exe under Wine:
// for each, the program starts, opens its menu, saves, and ends with code 0 at Exit; what it
// writes back is what the file's readable part holds, plus the two new snapshots.
#include "contract/TestDesktop.h"
#include "program/PopupMenuReader.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

namespace {

using programtest::Section;
using programtest::WaitForNextSecond;
using namespace programtest::commands;

struct CorpusCase {
    const char* file;
    // What the program writes back after its start and one Save.
    const char* autoSave;
    size_t saves;
    size_t autoSaves;
};

std::ostream& operator<<(std::ostream& out, const CorpusCase& corpusCase) {
    return out << corpusCase.file;
}

const CorpusCase kCorpus[] = {
    // Each long line is read whole; one snapshot per long line.
    {"overlong-lines.ini", "1", 3, 2},
    // Names cut to the snapshot's 63 characters stay apart; a key name past the reader's 255
    // characters drops its line, and so does a section name past them for the keys under it.
    {"overlong-names.ini", "3", 3, 2},
    // Past ten of a kind, each new snapshot takes the place of the last one of its kind.
    {"500-snapshots.ini", "0", 500, 500},
    // The last "AutoSave" line counts and is empty (0); empty values and names are skipped; a
    // repeated key keeps its first place and its last value.
    {"empty-and-duplicate-keys.ini", "0", 3, 2},
    // Without line feeds the file is one line: its header, and nothing else.
    {"lone-cr.ini", "2", 1, 1},
    // A NUL byte ends what is seen of its line.
    {"nul-bytes.ini", "3", 2, 2},
    // Section names match with their case.
    {"lower-case-sections.ini", "2", 2, 1},
    {"non-numeric-autosave.ini", "0", 2, 1},
    // Taken unchanged: no choice of the menu is marked and no timer runs.
    {"autosave-out-of-range.ini", "-7", 1, 2},
    {"huge-autosave.ini", "2147483647", 1, 1},
    {"empty.ini", "2", 1, 1},
};

class SettingsCorpus : public ::testing::TestWithParam<CorpusCase> {
  protected:
    CProgramFolder folder;
    CRunningProgram program;

    void TearDown() override {
        CloseMenus(program.ProcessId());
        program.Kill();
        testdesktop::Stop();
    }
};

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

TEST_P(SettingsCorpus, StartsShowsItsMenuSavesAndExitsWithCodeZero) {
    const CorpusCase& corpusCase = GetParam();
    ASSERT_TRUE(folder.Ready());
    const std::string original =
        ReadWholeFile(ExeDirectory() + "program-corpus\\" + corpusCase.file);
    ASSERT_TRUE(!original.empty() || std::string(corpusCase.file) == "empty.ini");
    ASSERT_TRUE(WriteWholeFile(folder.SettingsFile(), original));
    const FILETIME written = LastWrite(folder.SettingsFile());
    ASSERT_TRUE(testdesktop::Start({{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}}));

    ASSERT_TRUE(program.Start(folder.Exe()));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    // The start's snapshot rewrites the file during the window's creation.
    DWORD started = GetTickCount();
    FILETIME now = written;
    while (CompareFileTime(&written, &now) == 0) {
        ASSERT_LT(GetTickCount() - started, 30000u);
        Sleep(10);
        now = LastWrite(folder.SettingsFile());
    }

    std::vector<HWND> popups;
    ASSERT_TRUE(program.PostTrayClick(WM_RBUTTONUP));
    ASSERT_TRUE(WaitForPopups(program.ProcessId(), 1, &popups));
    ASSERT_TRUE(CloseMenus(program.ProcessId()));

    WaitForNextSecond();
    ASSERT_TRUE(program.Command(kSave));
    const std::string file = ReadWholeFile(folder.SettingsFile());
    auto settings = Section(file, "Settings");
    ASSERT_EQ(settings.size(), 1u) << file.substr(0, 200);
    EXPECT_EQ(settings[0].first, "AutoSave");
    EXPECT_EQ(settings[0].second, corpusCase.autoSave);
    EXPECT_EQ(Section(file, "Saves").size(), corpusCase.saves);
    EXPECT_EQ(Section(file, "AutoSaves").size(), corpusCase.autoSaves);
    const std::string layout = "Recycle Bin;20;10;Notes.txt;100;10;";
    EXPECT_NE(file.find("=" + layout + "\r\n"), std::string::npos);

    HWND window = program.Window();
    ASSERT_TRUE(program.Command(kExit));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(IsWindow(window));
}

INSTANTIATE_TEST_SUITE_P(HandEdited, SettingsCorpus, ::testing::ValuesIn(kCorpus));

} // namespace

// Where the real quillmarsh.exe keeps its settings file under Wine: a copy in a folder that takes
// no new file keeps it in the user's local application data, and a copy in a folder named outside
// the ANSI code page keeps it beside itself, and its Run value names it. Run by
// tools/protected-folder.sh, which makes the protected folder.
#include "contract/ChildProcess.h"
#include "contract/TestDesktop.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using programtest::Section;
using namespace programtest::commands;

std::vector<testdesktop::Icon> ThreeIcons() {
    return {{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}, {"Photos", 180, 10}};
}

// The whole file as bytes, by a UTF-8 path; empty when it cannot be read.
std::string ReadFileAt(const std::string& path) {
    std::ifstream in(std::filesystem::path(WideOfUtf8(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file once it holds a section, within the bound; empty if it never did.
std::string WaitForSection(const std::string& path, const char* section) {
    const DWORD started = GetTickCount();
    std::string file;
    while ((file = ReadFileAt(path)).empty() || Section(file, section).empty()) {
        if (GetTickCount() - started > 30000) {
            return std::string();
        }
        Sleep(20);
    }
    return file;
}

std::string LocalAppData() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) {
        folder = std::filesystem::path(path).u8string();
    }
    CoTaskMemFree(path);
    return folder;
}

// The program's folder under local application data, removed when made and when it goes: a file
// left there would be every later program test's settings file.
class CLocalSettings {
  public:
    CLocalSettings() : folder(std::filesystem::u8path(LocalAppData()) / "Quill Marsh") { Remove(); }
    ~CLocalSettings() { Remove(); }
    CLocalSettings(const CLocalSettings&) = delete;
    CLocalSettings& operator=(const CLocalSettings&) = delete;
    std::string File() const { return (folder / "Quillmarsh.ini").u8string(); }

  private:
    const std::filesystem::path folder;
    void Remove() const {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// A folder named in Cyrillic under the temporary folder, with a copy of the program; removed
// with what it holds once the program has let go of its file.
class CCyrillicFolder {
  public:
    CCyrillicFolder()
        : folder(std::filesystem::temp_directory_path() /
                 (L"\x041F\x0440\x043E\x0433\x0440\x0430\x043C\x043C\x044B " +
                  std::to_wstring(GetCurrentProcessId()))) {
        // Process ids come round again: a folder an earlier run could not remove goes first.
        std::error_code failed;
        std::filesystem::remove_all(folder, failed);
        std::filesystem::create_directory(folder, failed);
        std::filesystem::copy_file(std::filesystem::u8path(ExeDirectory()) / "quillmarsh.exe",
                                   folder / "quillmarsh.exe", failed);
        ready = !failed;
    }
    ~CCyrillicFolder() {
        std::error_code busy;
        for (int attempt = 0; attempt < 100 && std::filesystem::exists(folder, busy); attempt++) {
            std::filesystem::remove_all(folder, busy);
            Sleep(50);
        }
    }
    CCyrillicFolder(const CCyrillicFolder&) = delete;
    CCyrillicFolder& operator=(const CCyrillicFolder&) = delete;

    const std::filesystem::path folder;
    bool ready = false;
    std::string Exe() const { return (folder / "quillmarsh.exe").u8string(); }
    std::string Settings() const { return (folder / "Quillmarsh.ini").u8string(); }
};

std::wstring WideRunValue(HKEY root) {
    wchar_t data[600] = L"";
    DWORD size = sizeof data - sizeof data[0];
    LONG result = RegGetValueW(root, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                               L"Quillmarsh", RRF_RT_REG_SZ, nullptr, data, &size);
    return result == ERROR_SUCCESS ? std::wstring(data) : std::wstring();
}

class SettingsPlace : public ::testing::Test {
  protected:
    CRunningProgram program;

    void SetUp() override { ASSERT_TRUE(testdesktop::Start(ThreeIcons())); }
    void TearDown() override {
        program.Kill();
        testdesktop::Stop();
    }
};

// Program Files for a standard user, or a folder under Controlled Folder Access: every start and
// every autosave said "Could not create file for writting!" and nothing was kept.
TEST_F(SettingsPlace, ACopyInAFolderThatTakesNoNewFileKeepsItsFileInLocalApplicationData) {
    const char* unixFolder = getenv("QM_PROTECTED_FOLDER");
    if (!unixFolder) {
        GTEST_SKIP() << "no folder that takes no new file here: chattr +i and a read-only bind "
                        "mount both take root";
    }
    std::string folder = std::string("Z:") + unixFolder;
    for (char& c : folder) {
        c = c == '/' ? '\\' : c;
    }
    CLocalSettings local;
    ASSERT_TRUE(program.Start(folder + "\\quillmarsh.exe"));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    ASSERT_FALSE(WaitForSection(local.File(), "AutoSaves").empty());
    ASSERT_TRUE(program.Command(kSave));
    ASSERT_TRUE(program.TimerTick());
    EXPECT_EQ(program.OpenErrorBoxes(), 0);
    EXPECT_EQ(Section(ReadFileAt(local.File()), "Saves").size(), 1u);

    program.Kill();
    ASSERT_TRUE(program.Start(folder + "\\quillmarsh.exe"));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    programtest::WaitForNextSecond();
    testdesktop::MoveIcon(0, 300, 200);
    ASSERT_TRUE(program.Command(kSave));
    EXPECT_EQ(program.OpenErrorBoxes(), 0);
    EXPECT_EQ(Section(ReadFileAt(local.File()), "Saves").size(), 2u);
    EXPECT_EQ(GetFileAttributesA((folder + "\\Quillmarsh.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Through the ANSI calls the path held "?" for every character the code page lacks: every save
// failed, and the Run value named no file.
TEST_F(SettingsPlace, ACopyInAFolderNamedInCyrillicKeepsItsFileBesideItAndItsRunValueNamesIt) {
    CCyrillicFolder folder;
    ASSERT_TRUE(folder.ready);
    ASSERT_TRUE(program.Start(folder.Exe()));
    ASSERT_NE(program.WaitForWindow(), nullptr);
    ASSERT_FALSE(WaitForSection(folder.Settings(), "AutoSaves").empty());
    EXPECT_EQ(program.OpenErrorBoxes(), 0);

    const std::wstring quoted = L"\"" + (folder.folder / "quillmarsh.exe").wstring() + L"\"";
    ASSERT_TRUE(program.Command(kStartWithWindows));
    const std::wstring machine = WideRunValue(HKEY_LOCAL_MACHINE);
    const std::wstring user = WideRunValue(HKEY_CURRENT_USER);
    EXPECT_TRUE(machine == quoted || (machine.empty() && user == quoted));
    ASSERT_TRUE(program.Command(kStartWithWindows));
    EXPECT_EQ(WideRunValue(HKEY_LOCAL_MACHINE), L"");
    EXPECT_EQ(WideRunValue(HKEY_CURRENT_USER), L"");
    EXPECT_EQ(program.OpenErrorBoxes(), 0);
    // Before the folder goes: the running program holds its file.
    program.Kill();
}

} // namespace

// Where the real quillmarsh.exe keeps its settings file under Wine: a copy in a folder that takes
// no new file keeps it in the user's local application data, and a copy in a folder named outside
// the ANSI code page keeps it beside itself, and its Run value names it. Run by
// tools/protected-folder.sh, which makes the protected folder.
#include "contract/ChildProcess.h"
#include "contract/TestDesktop.h"
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

std::string Utf8OfWide(const std::wstring& wide) {
    std::string text(wide.size() * 3, '\0');
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    &text[0], static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
    return text;
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
        folder = Utf8OfWide(path);
    }
    CoTaskMemFree(path);
    return folder;
}

// The program's folder under local application data, emptied when made and when it goes: a file
// left there would be every later program test's settings file.
class CLocalSettings {
  public:
    CLocalSettings() : folder(LocalAppData() + "\\Quill Marsh") { Remove(); }
    ~CLocalSettings() { Remove(); }
    CLocalSettings(const CLocalSettings&) = delete;
    CLocalSettings& operator=(const CLocalSettings&) = delete;
    std::string File() const { return folder + "\\Quillmarsh.ini"; }

  private:
    const std::string folder;
    void Remove() const {
        for (const char* name : {"\\Quillmarsh.ini", "\\Quillmarsh.ini.lock"}) {
            DeleteFileW(WideOfUtf8(folder + name).c_str());
        }
        RemoveDirectoryW(WideOfUtf8(folder).c_str());
    }
};

// A folder named in Cyrillic under the temporary folder, with a copy of the program; removed
// with what it holds.
class CCyrillicFolder {
  public:
    CCyrillicFolder() {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        const std::wstring name = L"\x041F\x0440\x043E\x0433\x0440\x0430\x043C\x043C\x044B " +
                                  std::to_wstring(GetCurrentProcessId());
        wide = std::wstring(temp) + name + L"\\";
        wchar_t self[MAX_PATH] = L"";
        DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring product(self, length);
        product = product.substr(0, product.find_last_of(L'\\') + 1) + L"quillmarsh.exe";
        ready = CreateDirectoryW(wide.c_str(), nullptr) &&
                CopyFileW(product.c_str(), (wide + L"quillmarsh.exe").c_str(), FALSE);
    }
    ~CCyrillicFolder() {
        for (const wchar_t* name : {L"quillmarsh.exe", L"Quillmarsh.ini"}) {
            for (int attempt = 0; attempt < 100 && !DeleteFileW((wide + name).c_str()) &&
                                  GetLastError() != ERROR_FILE_NOT_FOUND;
                 attempt++) {
                Sleep(50);
            }
        }
        RemoveDirectoryW(wide.c_str());
    }
    CCyrillicFolder(const CCyrillicFolder&) = delete;
    CCyrillicFolder& operator=(const CCyrillicFolder&) = delete;

    bool ready = false;
    std::wstring wide;
    std::string Exe() const { return Utf8OfWide(wide) + "quillmarsh.exe"; }
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
    const std::string settings = Utf8OfWide(folder.wide) + "Quillmarsh.ini";
    ASSERT_FALSE(WaitForSection(settings, "AutoSaves").empty());
    EXPECT_EQ(program.OpenErrorBoxes(), 0);

    const std::wstring quoted = L"\"" + folder.wide + L"quillmarsh.exe\"";
    ASSERT_TRUE(program.Command(kStartWithWindows));
    const std::wstring machine = WideRunValue(HKEY_LOCAL_MACHINE);
    const std::wstring user = WideRunValue(HKEY_CURRENT_USER);
    EXPECT_TRUE(machine == quoted || (machine.empty() && user == quoted));
    ASSERT_TRUE(program.Command(kStartWithWindows));
    EXPECT_EQ(WideRunValue(HKEY_LOCAL_MACHINE), L"");
    EXPECT_EQ(WideRunValue(HKEY_CURRENT_USER), L"");
    EXPECT_EQ(program.OpenErrorBoxes(), 0);
}

} // namespace

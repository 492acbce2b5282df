#include "contract/TestSettings.h"

#include "desktop/DesktopLayout.h"

#include <windows.h>

#include <mutex>

namespace testsettings {

namespace {

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The text control of a message box.
const int kMessageTextId = 0xFFFF;

// Answers every "Error" box of this process from a second thread, keeping its text: the box is
// modal on the test's own thread, which cannot answer it itself.
class CErrorBoxWatcher {
  public:
    CErrorBoxWatcher() : stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    }
    ~CErrorBoxWatcher() {
        SetEvent(stop);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(stop);
    }
    CErrorBoxWatcher(const CErrorBoxWatcher&) = delete;
    CErrorBoxWatcher& operator=(const CErrorBoxWatcher&) = delete;

    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> hold(lock);
        std::vector<std::string> taken;
        taken.swap(texts);
        return taken;
    }

  private:
    static DWORD WINAPI Watch(LPVOID self) {
        CErrorBoxWatcher* watcher = static_cast<CErrorBoxWatcher*>(self);
        while (WaitForSingleObject(watcher->stop, 10) == WAIT_TIMEOUT) {
            watcher->AnswerBoxes();
        }
        return 0;
    }

    void AnswerBoxes() {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", "Error")) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            if (owner != GetCurrentProcessId() || !IsWindowVisible(box)) {
                continue;
            }
            char text[512] = "";
            GetDlgItemTextA(box, kMessageTextId, text, sizeof text);
            {
                std::lock_guard<std::mutex> hold(lock);
                texts.push_back(text);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            // Let the box go before it can be seen a second time.
            for (int i = 0; i < 200 && IsWindow(box) && IsWindowVisible(box); i++) {
                Sleep(5);
            }
        }
    }

    HANDLE stop;
    HANDLE thread;
    std::mutex lock;
    std::vector<std::string> texts;
};

CErrorBoxWatcher& Watcher() {
    static CErrorBoxWatcher watcher;
    return watcher;
}

void DeleteRunValue(HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRun, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    RegDeleteValueA(key, "Quillmarsh");
    RegCloseKey(key);
}

} // namespace

std::string PrepareSettingsFile() {
    std::string file = std::string(CDesktopLayout::GetExeDirectory()) + "Quillmarsh.ini";
    DeleteFileA(file.c_str());
    RemoveDirectoryA(file.c_str());
    // Wine's prefix may not have the Run keys; the program only ever opens them.
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    DeleteRunValue(HKEY_LOCAL_MACHINE);
    DeleteRunValue(HKEY_CURRENT_USER);
    Watcher().Take();
    return file;
}

std::vector<std::string> TakeErrorBoxes() {
    return Watcher().Take();
}

void SetRunValue(HKEY root, const std::string& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRun, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, "Quillmarsh", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
}

std::string RunValue(HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRun, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    char data[1024] = "";
    DWORD size = sizeof data - 1;
    LONG result =
        RegQueryValueExA(key, "Quillmarsh", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : std::string();
}

// Beside the test's own executable, made once and left for the next run.
std::string OtherProgramFile() {
    std::string path = std::string(CDesktopLayout::GetExeDirectory()) + "other-copy.exe";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return path;
}

} // namespace testsettings

// Helpers of the program tests: the program's command ids, the settings file read as its
// sections' lines, layout texts, the Run keys' values, and the clock's next second.
#pragma once

#include "contract/TestDesktop.h"

#include <windows.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace programtest {

// The tray window's command ids, as its menu sends them. They are the program's interface, so
// they are spelled out here rather than taken from its headers.
namespace commands {
const UINT kAbout = 110;
const UINT kStartWithWindows = 111;
const UINT kExit = 112;
const UINT kSave = 113;
const UINT kUndo = 114;
const UINT kRestoreOnDisplayChange = 116;
const UINT kManageArrangements = 118;
// Autosave Never, then the three intervals up to every hour: the setting is the id minus Never.
const UINT kAutosaveNever = 120;
const UINT kAutosaveHour = 123;
// The newest snapshot; each older one is one more.
const UINT kRestoreFirst = 130;
} // namespace commands

using Entries_t = std::vector<std::pair<std::string, std::string>>;

// The key=value lines of one section, in file order.
inline Entries_t Section(const std::string& file, const std::string& section) {
    Entries_t entries;
    std::istringstream lines(file);
    std::string line;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        size_t equals = line.find('=');
        if (inside && equals != std::string::npos) {
            entries.push_back({line.substr(0, equals), line.substr(equals + 1)});
        }
    }
    return entries;
}

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value "Quillmarsh" of one Run key as text; empty when there is none.
inline std::string RunValue(HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    char data[600] = "";
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    LONG result =
        RegQueryValueExA(key, "Quillmarsh", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : std::string();
}

const char kStartupApprovedKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// Windows' mark for the Run value of the same name, as Task Manager writes it (the key made where
// it is missing); empty data deletes it.
inline bool SetStartupApproved(HKEY root, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, kStartupApprovedKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = data.empty() ? RegDeleteValueA(key, "Quillmarsh")
                               : RegSetValueExA(key, "Quillmarsh", 0, REG_BINARY, data.data(),
                                                static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS || (data.empty() && result == ERROR_FILE_NOT_FOUND);
}

// The mark's data; empty when there is none.
inline std::vector<BYTE> StartupApproved(HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kStartupApprovedKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<BYTE> data(64);
    DWORD size = static_cast<DWORD>(data.size());
    LONG result = RegQueryValueExA(key, "Quillmarsh", nullptr, nullptr, data.data(), &size);
    RegCloseKey(key);
    data.resize(result == ERROR_SUCCESS ? size : 0);
    return data;
}

// The program only opens the Run keys; Wine's prefix may lack them. Windows' marks go with them.
inline void ClearRunValues() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        SetStartupApproved(root, {});
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            continue;
        }
        RegDeleteValueA(key, "Quillmarsh");
        RegCloseKey(key);
    }
}

// The layout text of these icons as a capture writes it, for names without ";" or "\".
inline std::string LayoutOf(const std::vector<testdesktop::Icon>& icons) {
    std::string text;
    for (const testdesktop::Icon& icon : icons) {
        text += icon.name + ";" + std::to_string(icon.x) + ";" + std::to_string(icon.y) + ";";
    }
    return text;
}

using Positions_t = std::vector<std::pair<int, int>>;

// Where the desktop's icons stand, in item order.
inline Positions_t Positions() {
    Positions_t positions;
    for (const testdesktop::Icon& icon : testdesktop::Icons()) {
        positions.push_back({icon.x, icon.y});
    }
    return positions;
}

// Snapshot names carry the second: the next one must fall in a later second to be told apart.
inline void WaitForNextSecond() {
    SYSTEMTIME start, now;
    GetLocalTime(&start);
    do {
        Sleep(10);
        GetLocalTime(&now);
    } while (now.wSecond == start.wSecond);
}

} // namespace programtest

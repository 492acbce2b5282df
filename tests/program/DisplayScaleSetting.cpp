#include "program/DisplayScaleSetting.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kLogPixels[] = "LogPixels";
// Where the value found is kept while it is changed; "none" when there was none.
const char kKeptKey[] = "Software\\Quill Marsh tests";
const char kKeptValue[] = "LogPixels before the test";

HKEY OpenKey(const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

bool ReadDword(HKEY key, const char* name, DWORD* value) {
    DWORD type = 0;
    DWORD size = sizeof *value;
    return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool HasValue(HKEY key, const char* name) {
    return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The kept value back in its place, and the copy gone; nothing when nothing is kept.
void PutBack() {
    HKEY kept = OpenKey(kKeptKey);
    HKEY desktop = OpenKey(kDesktopKey);
    if (kept && desktop && HasValue(kept, kKeptValue)) {
        DWORD before = 0;
        if (ReadDword(kept, kKeptValue, &before)) {
            WriteDword(desktop, kLogPixels, before);
        } else {
            RegDeleteValueA(desktop, kLogPixels);
        }
        RegDeleteValueA(kept, kKeptValue);
    }
    if (desktop) {
        RegCloseKey(desktop);
    }
    if (kept) {
        RegCloseKey(kept);
    }
}

} // namespace

void RestoreDisplayScaleLeftBehind() {
    PutBack();
}

CDisplayScale::CDisplayScale(DWORD dpi) {
    PutBack();
    HKEY kept = OpenKey(kKeptKey);
    HKEY desktop = OpenKey(kDesktopKey);
    if (kept && desktop) {
        DWORD before = 0;
        const bool keptCopy =
            ReadDword(desktop, kLogPixels, &before)
                ? WriteDword(kept, kKeptValue, before)
                : RegSetValueExA(kept, kKeptValue, 0, REG_SZ, reinterpret_cast<const BYTE*>("none"),
                                 5) == ERROR_SUCCESS;
        set = keptCopy && WriteDword(desktop, kLogPixels, dpi);
    }
    if (desktop) {
        RegCloseKey(desktop);
    }
    if (kept) {
        RegCloseKey(kept);
    }
}

CDisplayScale::~CDisplayScale() {
    PutBack();
}

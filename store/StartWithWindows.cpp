// The Run-key value "Quillmarsh" that starts the program at logon, mirrored in startWithWindows.
#include "desktop/DesktopLayout.h"

#include <cstdio>
#include <cstring>

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kValueName[] = "Quillmarsh";

// The executable's path in double quotes. Unquoted, a path with blanks lets the shell start
// another program at a prefix of it: C:\Program.exe for C:\Program Files\...
int QuotedExePath(char* buffer, size_t size) {
    char path[kPathChars];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return 0;
    }
    path[length] = '\0';
    int written = snprintf(buffer, size, "\"%s\"", path);
    return written > 0 && static_cast<size_t>(written) < size;
}

// One Run key, opened for the lifetime of the object: for writing where this user may change it,
// else for reading only, as a standard user may open the machine-wide key.
class CRunKey {
  public:
    explicit CRunKey(HKEY root) : key(nullptr), writable(false) {
        if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            writable = true;
        } else if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            key = nullptr;
        }
    }
    ~CRunKey() {
        if (key) {
            RegCloseKey(key);
        }
    }
    CRunKey(const CRunKey&) = delete;
    CRunKey& operator=(const CRunKey&) = delete;

    // Present in any form and of any type.
    bool HasValue() const {
        return key && RegQueryValueExA(key, kValueName, nullptr, nullptr, nullptr, nullptr) ==
                          ERROR_SUCCESS;
    }

    bool WriteValue() const {
        char data[kPathChars + 2];
        if (!writable || !QuotedExePath(data, sizeof data)) {
            return false;
        }
        DWORD size = static_cast<DWORD>(strlen(data) + 1);
        return RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                              size) == ERROR_SUCCESS;
    }

    // True when no value is left; a value that does not exist is no error.
    bool RemoveValue() const {
        if (writable) {
            RegDeleteValueA(key, kValueName);
        }
        return !HasValue();
    }

  private:
    HKEY key;
    bool writable;
};

} // namespace

// A value in either Run key means the option is on. It is written again where the key may be
// written, so it follows a moved executable.
void CDesktopLayout::LoadStartWithWindows() {
    startWithWindows = 0;
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        CRunKey runKey(root);
        if (runKey.HasValue()) {
            startWithWindows = 1;
            runKey.WriteValue();
            return;
        }
    }
}

// Since user account control a standard user can only read the machine-wide key; the option then
// lives under the user's own key, unless a machine-wide value already starts the program. Only one
// value is kept, so the program starts once. A value that cannot be removed keeps the option on.
int CDesktopLayout::ApplyStartWithWindows() {
    CRunKey machine(HKEY_LOCAL_MACHINE);
    CRunKey user(HKEY_CURRENT_USER);
    if (!startWithWindows) {
        bool machineGone = machine.RemoveValue();
        bool userGone = user.RemoveValue();
        if (machineGone && userGone) {
            return 1;
        }
        startWithWindows = 1;
        return 0;
    }
    if (machine.WriteValue() || machine.HasValue()) {
        user.RemoveValue();
        return 1;
    }
    if (user.WriteValue() || user.HasValue()) {
        return 1;
    }
    startWithWindows = 0;
    return 0;
}

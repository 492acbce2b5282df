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
    if (length == 0 || length >= sizeof path)
        return 0;
    path[length] = '\0';
    int written = snprintf(buffer, size, "\"%s\"", path);
    return written > 0 && static_cast<size_t>(written) < size;
}

// One Run key, opened for the lifetime of the object.
class CRunKey {
  public:
    explicit CRunKey(HKEY root) : key(nullptr) {
        if (RegOpenKeyExA(root, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            key = nullptr;
    }
    ~CRunKey() {
        if (key)
            RegCloseKey(key);
    }
    CRunKey(const CRunKey&) = delete;
    CRunKey& operator=(const CRunKey&) = delete;

    bool IsOpen() const { return key != nullptr; }

    // Present in any form and of any type.
    bool HasValue() const {
        return RegQueryValueExA(key, kValueName, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

    bool WriteValue() const {
        char data[kPathChars + 2];
        if (!QuotedExePath(data, sizeof data))
            return false;
        DWORD size = static_cast<DWORD>(strlen(data) + 1);
        return RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                              size) == ERROR_SUCCESS;
    }

    void DeleteValue() const { RegDeleteValueA(key, kValueName); }

  private:
    HKEY key;
};

} // namespace

// The machine-wide value counts first; a user who may not open that key keeps the option in the
// Run key of their own. A value found is written again, so it follows a moved executable.
void CDesktopLayout::LoadStartWithWindows() {
    startWithWindows = 0;
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        CRunKey runKey(root);
        if (runKey.IsOpen() && runKey.HasValue()) {
            startWithWindows = 1;
            runKey.WriteValue();
            return;
        }
    }
}

// Since user account control a standard user cannot open the machine-wide key with full access;
// the option then lives under the user's own key. Only one value is kept, so the program starts
// once.
void CDesktopLayout::ApplyStartWithWindows() {
    CRunKey machine(HKEY_LOCAL_MACHINE);
    CRunKey user(HKEY_CURRENT_USER);
    if (!startWithWindows) {
        if (machine.IsOpen())
            machine.DeleteValue();
        if (user.IsOpen())
            user.DeleteValue();
        return;
    }
    if (machine.IsOpen()) {
        if (!machine.WriteValue()) {
            startWithWindows = 0;
            return;
        }
        if (user.IsOpen())
            user.DeleteValue();
        return;
    }
    if (!user.IsOpen() || !user.WriteValue())
        startWithWindows = 0;
}

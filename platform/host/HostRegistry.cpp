// The registry and the local clock of the host simulation: keys held in memory, names compared
// without regard to case as the platform does, handles that allow only the access they were opened
// with, and roots that can be made to refuse opening, to open for reading only, or to fail writes.
// Text values keep the form they were written in and are converted for a reader of the other
// form, as the platform converts between its ANSI and wide calls.
#include "platform/host/HostTesting.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <ctime>
#include <map>

namespace {

struct Value {
    DWORD type;
    std::vector<uint8_t> data;
    bool wide;
};

struct Key {
    std::map<std::string, Value> values; // by lower-case name
};

struct RootRules {
    bool openRefused = false;
    bool readOnly = false;
    bool writeRefused = false;
};

struct OpenHandle {
    std::string path;
    REGSAM access;
};

struct Registry {
    std::map<std::string, Key> keys; // by lower-case "root\\subkey"
    std::map<uintptr_t, OpenHandle> open;
    std::map<std::string, RootRules> rules;
    uintptr_t nextHandle = 0x5000;
    SYSTEMTIME now = {2024, 3, 5, 1, 9, 15, 0, 0};
    // UTC = local time + bias, as the platform counts it.
    int biasMinutes = 0;
};

Registry& State() {
    static Registry registry;
    return registry;
}

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::string RootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) {
        return "hklm";
    }
    if (root == HKEY_CURRENT_USER) {
        return "hkcu";
    }
    return "";
}

std::string KeyPath(HKEY root, const std::string& subkey) {
    return RootName(root) + "\\" + Lower(subkey);
}

std::string RootOf(const std::string& path) {
    return path.substr(0, path.find('\\'));
}

// The key behind a handle opened with the access needed, or null with the status the platform
// would give. Writes also fail where the root refuses them.
Key* KeyThrough(HKEY handle, REGSAM needed, LSTATUS* status) {
    auto found = State().open.find(reinterpret_cast<uintptr_t>(handle));
    auto key =
        found == State().open.end() ? State().keys.end() : State().keys.find(found->second.path);
    if (key == State().keys.end()) {
        *status = ERROR_INVALID_HANDLE;
    } else if ((found->second.access & needed) != needed) {
        *status = ERROR_ACCESS_DENIED;
    } else if ((needed & KEY_SET_VALUE) && State().rules[RootOf(found->second.path)].writeRefused) {
        *status = ERROR_ACCESS_DENIED;
    }
    return *status == ERROR_SUCCESS ? &key->second : nullptr;
}

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The value's data as a reader of the ANSI (wide false) or the wide form receives it.
std::vector<uint8_t> DataFor(const Value& value, bool wide) {
    if (!IsText(value.type) || value.wide == wide || value.data.empty()) {
        return value.data;
    }
    std::vector<uint8_t> converted;
    if (wide) {
        int units = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(value.data.data()),
                                        static_cast<int>(value.data.size()), nullptr, 0);
        converted.resize(size_t(units) * sizeof(WCHAR));
        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(value.data.data()),
                            static_cast<int>(value.data.size()),
                            reinterpret_cast<WCHAR*>(converted.data()), units);
    } else {
        const WCHAR* text = reinterpret_cast<const WCHAR*>(value.data.data());
        int units = static_cast<int>(value.data.size() / sizeof(WCHAR));
        int bytes = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
        converted.resize(size_t(bytes));
        WideCharToMultiByte(CP_ACP, 0, text, units, reinterpret_cast<char*>(converted.data()),
                            bytes, nullptr, nullptr);
    }
    return converted;
}

std::string NameOf(LPCWSTR name) {
    std::string narrow;
    for (; name && *name; name++) {
        narrow += static_cast<char>(*name < 0x80 ? *name : '?');
    }
    return narrow;
}

LSTATUS QueryValue(HKEY hKey, const std::string& name, bool wide, LPDWORD lpType, LPBYTE lpData,
                   LPDWORD lpcbData) {
    LSTATUS status = ERROR_SUCCESS;
    Key* key = KeyThrough(hKey, KEY_QUERY_VALUE, &status);
    if (!key) {
        return status;
    }
    auto value = key->values.find(Lower(name));
    if (value == key->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (lpType) {
        *lpType = value->second.type;
    }
    std::vector<uint8_t> data = DataFor(value->second, wide);
    DWORD size = static_cast<DWORD>(data.size());
    if (lpData) {
        if (!lpcbData || *lpcbData < size) {
            if (lpcbData) {
                *lpcbData = size;
            }
            return ERROR_MORE_DATA;
        }
        // An empty value has no data to copy from.
        if (size > 0) {
            memcpy(lpData, data.data(), size);
        }
    }
    if (lpcbData) {
        *lpcbData = size;
    }
    return ERROR_SUCCESS;
}

LSTATUS SetValue(HKEY hKey, const std::string& name, bool wide, DWORD dwType, const BYTE* lpData,
                 DWORD cbData) {
    LSTATUS status = ERROR_SUCCESS;
    Key* key = KeyThrough(hKey, KEY_SET_VALUE, &status);
    if (!key) {
        return status;
    }
    key->values[Lower(name)] = Value{dwType, std::vector<uint8_t>(lpData, lpData + cbData), wide};
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired,
                             PHKEY phkResult) {
    std::string root = RootName(hKey);
    if (root.empty()) {
        return ERROR_INVALID_HANDLE;
    }
    const RootRules& rules = State().rules[root];
    if (rules.openRefused || (rules.readOnly && (samDesired & ~KEY_READ) != 0)) {
        return ERROR_ACCESS_DENIED;
    }
    std::string path = KeyPath(hKey, lpSubKey ? lpSubKey : "");
    if (State().keys.find(path) == State().keys.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    uintptr_t handle = State().nextHandle;
    State().nextHandle += 4;
    State().open[handle] = OpenHandle{path, samDesired};
    *phkResult = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    return QueryValue(hKey, lpValueName ? lpValueName : "", false, lpType, lpData, lpcbData);
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    return QueryValue(hKey, NameOf(lpValueName), true, lpType, lpData, lpcbData);
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    return SetValue(hKey, lpValueName ? lpValueName : "", false, dwType, lpData, cbData);
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    return SetValue(hKey, NameOf(lpValueName), true, dwType, lpData, cbData);
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    LSTATUS status = ERROR_SUCCESS;
    Key* key = KeyThrough(hKey, KEY_SET_VALUE, &status);
    if (!key) {
        return status;
    }
    return key->values.erase(Lower(lpValueName ? lpValueName : "")) ? ERROR_SUCCESS
                                                                    : ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    return State().open.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS
                                                                 : ERROR_INVALID_HANDLE;
}

namespace {

// What GetTickCount adds to the host's steady clock; threads of the core read it too.
std::atomic<DWORD> tickOffset(0);

DWORD SteadyMilliseconds() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

} // namespace

DWORD WINAPI GetTickCount(void) {
    return SteadyMilliseconds() + tickOffset.load();
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    *lpSystemTime = State().now;
}

namespace {

SYSTEMTIME Shifted(const SYSTEMTIME& time, int minutes) {
    struct tm fields = {};
    fields.tm_year = time.wYear - 1900;
    fields.tm_mon = time.wMonth - 1;
    fields.tm_mday = time.wDay;
    fields.tm_hour = time.wHour;
    fields.tm_min = time.wMinute;
    fields.tm_sec = time.wSecond;
    time_t seconds = timegm(&fields) + static_cast<time_t>(minutes) * 60;
    gmtime_r(&seconds, &fields);
    return SYSTEMTIME{
        static_cast<WORD>(fields.tm_year + 1900), static_cast<WORD>(fields.tm_mon + 1),
        static_cast<WORD>(fields.tm_wday),        static_cast<WORD>(fields.tm_mday),
        static_cast<WORD>(fields.tm_hour),        static_cast<WORD>(fields.tm_min),
        static_cast<WORD>(fields.tm_sec),         time.wMilliseconds};
}

} // namespace

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    *lpSystemTime = Shifted(State().now, State().biasMinutes);
}

// One bias for every date: the simulated zone keeps no rules of daylight saving time.
BOOL WINAPI TzSpecificLocalTimeToSystemTime(const void* lpTimeZoneInformation,
                                            const SYSTEMTIME* lpLocalTime,
                                            LPSYSTEMTIME lpUniversalTime) {
    if (lpTimeZoneInformation || !lpLocalTime || !lpUniversalTime) {
        return FALSE;
    }
    *lpUniversalTime = Shifted(*lpLocalTime, State().biasMinutes);
    return TRUE;
}

namespace hostsim {

void ResetRegistry() {
    Registry& registry = State();
    registry.keys.clear();
    registry.open.clear();
    registry.rules.clear();
}

void CreateRegistryKey(HKEY root, const std::string& subkey) {
    State().keys[KeyPath(root, subkey)];
}

void SetRegistryOpenRefused(HKEY root, bool refused) {
    State().rules[RootName(root)].openRefused = refused;
}

void SetRegistryReadOnly(HKEY root, bool readOnly) {
    State().rules[RootName(root)].readOnly = readOnly;
}

void SetRegistryWriteRefused(HKEY root, bool refused) {
    State().rules[RootName(root)].writeRefused = refused;
}

void SetRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                      const std::vector<uint8_t>& data) {
    State().keys[KeyPath(root, subkey)].values[Lower(name)] = Value{type, data, false};
}

bool GetRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD* type,
                      std::vector<uint8_t>* data) {
    auto key = State().keys.find(KeyPath(root, subkey));
    if (key == State().keys.end()) {
        return false;
    }
    auto value = key->second.values.find(Lower(name));
    if (value == key->second.values.end()) {
        return false;
    }
    *type = value->second.type;
    *data = DataFor(value->second, false);
    return true;
}

int OpenRegistryKeys() {
    return static_cast<int>(State().open.size());
}

void SetLocalTime(const SYSTEMTIME& now) {
    State().now = now;
}

void SetTimeZoneBias(int minutes) {
    State().biasMinutes = minutes;
}

void SetTickCount(DWORD now) {
    tickOffset.store(now - SteadyMilliseconds());
}

} // namespace hostsim

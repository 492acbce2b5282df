// Windows' mark is binary data whose first byte has its lowest bit set (03, or what older versions
// wrote); 02 or no value at all is enabled. The rest is when it was disabled, which nothing here
// needs.
#include "store/StartupApproved.h"

#include "store/RunKey.h"

namespace {

const char kStartupApprovedKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

enum {
    // Windows writes 12 bytes; a longer value is not its mark and counts as enabled.
    kStartupApprovedBytes = 64,
};

} // namespace

CStartupApproved::CStartupApproved(HKEY root)
    : writable(OpenForChange(root, kStartupApprovedKey, &key)) {}

// Data of another type, or none, is not Windows' mark.
bool CStartupApproved::Disabled() const {
    if (key.IsEmpty()) {
        return false;
    }
    BYTE data[kStartupApprovedBytes];
    DWORD type = REG_NONE;
    DWORD size = sizeof data;
    LSTATUS status = RegQueryValueExW(key.Get(), kWideRunValueName, nullptr, &type, data, &size);
    return status == ERROR_SUCCESS && type == REG_BINARY && size >= 1 && (data[0] & 1) != 0;
}

bool CStartupApproved::RemoveValue() const {
    if (writable) {
        RegDeleteValueA(key.Get(), kRunValueName);
    }
    return key.IsEmpty() || RegQueryValueExA(key.Get(), kRunValueName, nullptr, nullptr, nullptr,
                                             nullptr) != ERROR_SUCCESS;
}

// The Run key's value as this program reads and writes it: wide, since the paths it compares
// may hold characters the ANSI code page lacks.
#include "store/RunKey.h"

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

} // namespace

const char kRunValueName[] = "Quillmarsh";
// Spelled out since the host simulation's WCHAR is not the compiler's wide character.
const WCHAR kWideRunValueName[] = {'Q', 'u', 'i', 'l', 'l', 'm', 'a', 'r', 's', 'h', 0};

// Quoted: unquoted, a path with blanks lets the shell start another program at a prefix of it,
// C:\Program.exe for C:\Program Files\...
void ReadThisProgram(ThisProgram* self) {
    WCHAR path[kRunValueUnits];
    DWORD length = GetModuleFileNameW(nullptr, path, kRunValueUnits - 2);
    self->known = length > 0 && length < kRunValueUnits - 2;
    if (!self->known) {
        self->quoted[0] = 0;
        self->longPath[0] = 0;
        return;
    }
    path[length] = 0;
    self->quoted[0] = '"';
    for (DWORD i = 0; i < length; i++) {
        self->quoted[i + 1] = path[i];
    }
    self->quoted[length + 1] = '"';
    self->quoted[length + 2] = 0;
    LongPathOf(path, self->longPath, kRunValueUnits);
}

bool OpenForChange(HKEY root, const char* subkey, CUniqueRegistryKey* key) {
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key->Put()) ==
        ERROR_SUCCESS) {
        return true;
    }
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, key->Put()) != ERROR_SUCCESS) {
        key->Release();
    }
    return false;
}

CRunKey::CRunKey(HKEY root) : writable(OpenForChange(root, kRunKey, &key)) {}

RunValueOwner CRunKey::Owner(const ThisProgram& self) const {
    WCHAR data[kRunValueUnits];
    DWORD type = REG_NONE;
    DWORD size = sizeof data - sizeof data[0];
    LSTATUS status = key.Get() ? RegQueryValueExW(key.Get(), kWideRunValueName, nullptr, &type,
                                                  reinterpret_cast<BYTE*>(data), &size)
                               : ERROR_FILE_NOT_FOUND;
    if (status == ERROR_FILE_NOT_FOUND) {
        return kRunValueNone;
    }
    if (status != ERROR_SUCCESS || !self.known) {
        return kRunValueOtherCopy;
    }
    size_t units = size / sizeof data[0];
    data[units] = 0;
    return OwnerOfRunValue(type, data, units, self.longPath);
}

bool CRunKey::WriteValue(const ThisProgram& self) const {
    if (!writable || !self.known) {
        return false;
    }
    DWORD units = 0;
    while (self.quoted[units] != 0) {
        units++;
    }
    DWORD size = (units + 1) * sizeof self.quoted[0];
    return RegSetValueExW(key.Get(), kWideRunValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(self.quoted), size) == ERROR_SUCCESS;
}

bool CRunKey::RemoveValue() const {
    if (writable) {
        RegDeleteValueA(key.Get(), kRunValueName);
    }
    return key.IsEmpty() || RegQueryValueExA(key.Get(), kRunValueName, nullptr, nullptr, nullptr,
                                             nullptr) != ERROR_SUCCESS;
}

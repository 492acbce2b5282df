// One Run key and the value "Quillmarsh" in it, and this program file as the value names it.
#pragma once

#include "base/UniqueOwner.h"
#include "platform/win32.h"
#include "store/RunValue.h"

// The name of the value, the same in every key that speaks of it.
extern const char kRunValueName[];
extern const WCHAR kWideRunValueName[];

// This program file: the value's data, and the long path every value is compared with.
struct ThisProgram {
    WCHAR quoted[kRunValueUnits];
    WCHAR longPath[kRunValueUnits];
    bool known;
};

void ReadThisProgram(ThisProgram* self);

// One Run key, opened for the lifetime of the object: for writing where this user may change it,
// else for reading only, as a standard user may open the machine-wide key.
class CRunKey {
  public:
    explicit CRunKey(HKEY root);
    CRunKey(const CRunKey&) = delete;
    CRunKey& operator=(const CRunKey&) = delete;

    bool Writable() const { return writable; }
    // Whom the value starts. One that cannot be read whole is one this program did not write:
    // another's.
    RunValueOwner Owner(const ThisProgram& self) const;
    bool WriteValue(const ThisProgram& self) const;
    // True when no value is left; a value that does not exist is no error.
    bool RemoveValue() const;

  private:
    CUniqueRegistryKey key;
    bool writable;
};

// Opens subkey for changing its values where this user may, else for reading them only; true for
// the first. key holds nothing where neither could be opened.
bool OpenForChange(HKEY root, const char* subkey, CUniqueRegistryKey* key);

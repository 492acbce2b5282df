// The owner and access list of one file or folder, read once and held until the object ends.
#pragma once

#include "platform/win32.h"

class CFileSecurity {
  public:
    explicit CFileSecurity(const WCHAR* path) {
        if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                  nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
            owner = nullptr;
            dacl = nullptr;
            descriptor = nullptr;
        }
    }
    ~CFileSecurity() { LocalFree(descriptor); }
    CFileSecurity(const CFileSecurity&) = delete;
    CFileSecurity& operator=(const CFileSecurity&) = delete;

    // False when it could not be read; the owner and the list then are null.
    bool Read() const { return descriptor != nullptr; }
    PSID Owner() const { return owner; }
    // Null for an object without an access list, which grants everyone everything.
    PACL Dacl() const { return dacl; }

  private:
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
};

// Windows' own switch for a Run value: Task Manager's Startup tab and Settings leave the Run value
// as it stands and write a value of the same name under StartupApproved\Run in the same hive.
#pragma once

#include "base/UniqueOwner.h"
#include "platform/win32.h"

// The value "Quillmarsh" under one StartupApproved\Run key, opened for the lifetime of the object
// as CRunKey opens its key. The key is never created: where it is missing, nothing is disabled.
class CStartupApproved {
  public:
    explicit CStartupApproved(HKEY root);
    CStartupApproved(const CStartupApproved&) = delete;
    CStartupApproved& operator=(const CStartupApproved&) = delete;

    // Windows will not start what the Run value of the same name names.
    bool Disabled() const;
    // True when no value is left; a value that does not exist is no error.
    bool RemoveValue() const;

  private:
    CUniqueRegistryKey key;
    bool writable;
};

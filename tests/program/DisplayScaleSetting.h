// Wine's display scale: HKCU\Control Panel\Desktop\LogPixels, which every process reads once when
// it starts. It holds for the whole Wine prefix, which `make run` and the tests share, so whoever
// sets it puts it back: when the object ends, and, should the process die first, at the next
// object's start from the copy kept in the registry meanwhile.
#pragma once

#include <windows.h>

class CDisplayScale {
  public:
    // Sets the scale for processes started from now on; Set() tells whether that worked.
    explicit CDisplayScale(DWORD dpi);
    // Puts back the value found, or its absence.
    ~CDisplayScale();
    CDisplayScale(const CDisplayScale&) = delete;
    CDisplayScale& operator=(const CDisplayScale&) = delete;

    bool Set() const { return set; }

  private:
    bool set = false;
};

// Puts back a value that a process which died while holding a CDisplayScale left changed.
void RestoreDisplayScaleLeftBehind();

// The one picture every stand-in icon shows, drawn here: a sheet of paper with a folded corner.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Owns the image list of the icon view; the list view only shares it.
class CIconImageList {
  public:
    CIconImageList() = default;
    ~CIconImageList();
    CIconImageList(const CIconImageList&) = delete;
    CIconImageList& operator=(const CIconImageList&) = delete;

    bool CreateDesktopIcon();
    HIMAGELIST Get() const { return hImageList; }

  private:
    HIMAGELIST hImageList = nullptr;
};

// Modal and modeless dialogs bound to objects, built from a template in memory that holds no
// controls: the derived class creates its children at WM_INITDIALOG.
#pragma once

#include "ui/WindowHandle.h"

// The dialog procedure of every CDialogClass dialog.
INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class CDialogClass : public CWindowHandle {
  public:
    CDialogClass() = default;

    virtual INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    // Positions and sizes in dialog units; style must include DS_SETFONT. Returns what the
    // dialog passed to EndDialog, or DialogBoxIndirectParamA's failure value.
    INT_PTR DoModal(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                    DWORD style, DWORD exStyle);
    // The same dialog without a loop of its own: the caller's loop must hand it its keys
    // (IsDialogMessage). 1 on success, 0 on failure.
    int CreateModeless(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                       DWORD style, DWORD exStyle);

  protected:
    // Detaches the object from a dialog window that still exists.
    ~CDialogClass();

  private:
    // Takes the instance and the parent, and writes the template into bytes.
    void Prepare(HINSTANCE instance, HWND parent, int x, int y, int width, int height, DWORD style,
                 DWORD exStyle, BYTE* bytes);
};

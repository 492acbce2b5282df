// The program's one top-level window, never shown: it owns the tray icon, the autosave timer and
// the popup menu, and turns menu choices into calls on the core object.
#pragma once

#include "ui/WindowClass.h"

class CDesktopLayout;
class COwnerDrawMenu;

// The tray icon's callback message.
#define WM_TRAYICON (WM_USER + 1)

class CTrayWindow final : public CWindowClass {
  public:
    CDesktopLayout* desktopLayout;
    COwnerDrawMenu* popupMenu;
    HICON hTrayIcon;

    explicit CTrayWindow(CDesktopLayout* layout);
    ~CTrayWindow();

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Registers "QuillmarshClass32" and creates the hidden window; 1 on success, 0 on failure.
    virtual int CreateTrayWindow(HINSTANCE instance, HWND parent);

    void AddTrayIcon();
    void RemoveTrayIcon();
    void UpdateAutoSaveTimer();
    void PrepareMenu();

  private:
    // Sent to every top-level window when the taskbar is created anew (after the shell restarts):
    // the icon must be added again.
    UINT taskbarCreatedMessage;

    void TakeSnapshot(int kind);
    LRESULT OnCreate(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy();
    LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayIcon(WPARAM wParam, LPARAM lParam);
    void OnAbout();
};

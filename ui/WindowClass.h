// Ordinary windows bound to objects: one window procedure for all of them, which finds the object
// in the window's user-data slot and hands it the messages.
#pragma once

#include "ui/ScopedGdi.h"
#include "ui/WindowHandle.h"

// The window procedure of every class this framework registers. The creation parameter of each
// window must be a CWindowClass* (cast to it before a derived object passes itself).
LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers a class served by StaticWndProc; 0 on failure. iconName and cursorName may be null;
// the cursor is a system cursor.
ATOM RegisterWindowClass(HINSTANCE hInstance, LPCSTR className, UINT style, HBRUSH background,
                         LPCSTR iconName, LPCSTR cursorName);

class CWindowClass : public CWindowHandle {
  public:
    HMENU hMenu;
    HACCEL hAccel;
    // Reported for WM_GETFONT without asking WindowProc.
    HFONT hFont;
    // 1 when hFont was created here and is deleted at teardown.
    int ownsFont;

    CWindowClass();

    virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // Runs until WM_QUIT and returns its exit code; 6 at once when there is no window.
    virtual int MessageLoop();
    // A modeless dialog of this window that is open, or null: while there is one, the loop takes
    // and hands on messages in their UTF-16 form, so that text typed into it in any script arrives
    // whole, and gives the dialog its keys.
    virtual HWND ModelessDialog() const { return nullptr; }
    // A "CWindowClass32" window: a visible child with the parent's font, or a visible top-level
    // window with its own font. 1 on success, 0 on failure.
    virtual int Create(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                       LPCSTR title);
    virtual int Run();

  protected:
    // Destroys the window if it still belongs to this object, then the menu, accelerators and an
    // owned font.
    ~CWindowClass();

  private:
    // The font hFont names while ownsFont is 1.
    CScopedFont ownedFont;

    void ReleaseOwnedFont();
};

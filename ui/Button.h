// One child button control. A button made by Create is destroyed with its object; one taken over
// with Attach is not.
#pragma once

#include "ui/WindowHandle.h"

class CButton final : public CWindowHandle {
  public:
    // 1 when the window was created here and is destroyed with the object.
    int ownsWindow;

    // An empty wrapper, for Attach.
    CButton();
    // Creates the button at once, as Create does.
    CButton(HINSTANCE instance, HWND parent, int id, int x, int y, int width, int height,
            DWORD style, DWORD exStyle);
    ~CButton();

    // A "Button" window with an empty title and the parent's font. 1 on success, 0 on failure.
    virtual int Create(HINSTANCE instance, HWND parent, int id, int x, int y, int width, int height,
                       DWORD style, DWORD exStyle);
    virtual void Attach(HINSTANCE instance, HWND parent, HWND window);

  private:
    void DestroyOwnedWindow();
};

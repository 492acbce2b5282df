#include "ui/Button.h"
#include "ui/DialogClass.h"
#include "ui/WindowClass.h"
#include "res/ResourceIds.h"
#include "tests/ui/GdiCount.h"
#include "tests/ui/ModalDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const UINT kPing = WM_USER + 5;

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

class RecordingWindow : public CWindowClass {
  public:
    std::vector<UINT> messages;

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(msg);
        if (msg == kPing) {
            return 1000 + static_cast<LRESULT>(wParam);
        }
        return DefWindowProcA(window, msg, wParam, lParam);
    }

    bool Saw(UINT msg) const {
        return std::find(messages.begin(), messages.end(), msg) != messages.end();
    }
};

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

TEST(WindowFramework, TopLevelWindowTalksToItsObject) {
    RecordingWindow window;
    ASSERT_EQ(1, window.Create(Self(), nullptr, 10, 10, 200, 100, "Framework"));
    ASSERT_NE(nullptr, window.hwnd);
    EXPECT_EQ("CWindowClass32", ClassOf(window.hwnd));
    EXPECT_EQ(&window,
              reinterpret_cast<CWindowClass*>(GetWindowLongPtrA(window.hwnd, GWLP_USERDATA)));
    const LONG_PTR style = GetWindowLongPtrA(window.hwnd, GWL_STYLE);
    EXPECT_EQ(WS_VISIBLE | WS_OVERLAPPEDWINDOW,
              static_cast<DWORD>(style) & (WS_VISIBLE | WS_OVERLAPPEDWINDOW));
    EXPECT_TRUE(GetWindowLongPtrA(window.hwnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    // Nothing reaches the object before WM_CREATE.
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_CREATE), window.messages.front());

    EXPECT_EQ(1007, SendMessageA(window.hwnd, kPing, 7, 0));
    EXPECT_TRUE(window.Saw(kPing));

    // WM_GETFONT is answered from hFont without asking WindowProc.
    EXPECT_EQ(reinterpret_cast<LRESULT>(window.hFont), SendMessageA(window.hwnd, WM_GETFONT, 0, 0));
    EXPECT_FALSE(window.Saw(WM_GETFONT));
    LOGFONTA font = {};
    ASSERT_EQ(static_cast<int>(sizeof(font)), GetObjectA(window.hFont, sizeof(font), &font));
    EXPECT_STREQ("MS Shell Dlg", font.lfFaceName);
    EXPECT_EQ(-11, font.lfHeight);
    EXPECT_EQ(FW_NORMAL, font.lfWeight);
    EXPECT_EQ(1, window.ownsFont);
}

TEST(WindowFramework, ChildUsesTheParentsFontAndNeverDeletesIt) {
    HFONT parentFont = nullptr;
    {
        RecordingWindow parent;
        ASSERT_EQ(1, parent.Create(Self(), nullptr, 0, 0, 300, 200, "Parent"));
        parentFont = parent.hFont;
        HWND childWindow = nullptr;
        {
            RecordingWindow child;
            ASSERT_EQ(1, child.Create(Self(), parent.hwnd, 5, 5, 50, 50, "Child"));
            childWindow = child.hwnd;
            EXPECT_EQ(parentFont, child.hFont);
            EXPECT_EQ(0, child.ownsFont);
            EXPECT_EQ(reinterpret_cast<LRESULT>(parentFont),
                      SendMessageA(child.hwnd, WM_GETFONT, 0, 0));
            EXPECT_EQ(parent.hwnd, GetParent(child.hwnd));
            EXPECT_TRUE(GetWindowLongPtrA(child.hwnd, GWL_STYLE) & WS_CHILD);
        }
        // The child's teardown destroyed its window but left the parent's font alone.
        EXPECT_FALSE(IsWindow(childWindow));
        EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(parentFont)));
    }
    // The parent created its font, so its teardown deleted it.
    EXPECT_EQ(0u, GetObjectType(parentFont));
}

TEST(WindowFramework, SecondWindowSharesTheRegisteredClass) {
    RecordingWindow first;
    ASSERT_EQ(1, first.Create(Self(), nullptr, 0, 0, 100, 100, "First"));
    // The class exists now: registering it again fails, so a second Create can only succeed if
    // it looks the class up first.
    EXPECT_EQ(0, RegisterWindowClass(Self(), "CWindowClass32", 0, nullptr, nullptr, nullptr));
    RecordingWindow second;
    ASSERT_EQ(1, second.Create(Self(), nullptr, 0, 0, 100, 100, "Second"));
    EXPECT_EQ(GetClassWord(first.hwnd, GCW_ATOM), GetClassWord(second.hwnd, GCW_ATOM));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(StaticWndProc),
              static_cast<LONG_PTR>(GetClassLongPtrA(second.hwnd, GCLP_WNDPROC)));
    EXPECT_EQ(1002, SendMessageA(second.hwnd, kPing, 2, 0));
    EXPECT_FALSE(first.Saw(kPing));
}

TEST(WindowFramework, MessageLoopWithoutWindowReturnsSix) {
    RecordingWindow window;
    EXPECT_EQ(6, window.MessageLoop());
    EXPECT_EQ(6, window.Run());
}

TEST(WindowFramework, RunDispatchesUntilQuitAndReturnsItsCode) {
    RecordingWindow window;
    ASSERT_EQ(1, window.Create(Self(), nullptr, 0, 0, 100, 100, "Loop"));
    PostMessageA(window.hwnd, kPing, 1, 0);
    PostQuitMessage(7);
    EXPECT_EQ(7, window.Run());
    EXPECT_TRUE(window.Saw(kPing));
}

TEST(WindowFramework, DestructionMessagesReachTheObjectAndTheHandleIsForgotten) {
    RecordingWindow window;
    ASSERT_EQ(1, window.Create(Self(), nullptr, 0, 0, 100, 100, "Gone"));
    const HWND hwnd = window.hwnd;
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(window.Saw(WM_DESTROY));
    EXPECT_TRUE(window.Saw(WM_NCDESTROY));
    EXPECT_EQ(nullptr, window.hwnd);
}

TEST(WindowFramework, ObjectDestroyedBeforeItsWindowTakesTheWindowWithIt) {
    HWND hwnd = nullptr;
    {
        RecordingWindow window;
        ASSERT_EQ(1, window.Create(Self(), nullptr, 0, 0, 100, 100, "Teardown"));
        hwnd = window.hwnd;
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowFramework, RegisterWindowClassFillsIconCursorAndBrush) {
    const HBRUSH brush = GetSysColorBrush(COLOR_WINDOW);
    const ATOM atom = RegisterWindowClass(Self(), "QmFrameworkTest", CS_DBLCLKS, brush,
                                          MAKEINTRESOURCEA(IDI_QUILLMARSH), IDC_ARROW);
    ASSERT_NE(0, atom);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExA(Self(), "QmFrameworkTest", &wc));
    EXPECT_EQ(StaticWndProc, wc.lpfnWndProc);
    EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), wc.style);
    EXPECT_NE(nullptr, wc.hIcon);
    EXPECT_NE(nullptr, wc.hCursor);
    EXPECT_EQ(brush, wc.hbrBackground);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);

    // A window created without an object gets the default handling throughout.
    HWND bare = CreateWindowExA(0, "QmFrameworkTest", "Bare", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                nullptr, nullptr, Self(), nullptr);
    ASSERT_NE(nullptr, bare);
    EXPECT_EQ(0, GetWindowLongPtrA(bare, GWLP_USERDATA));
    EXPECT_TRUE(SetWindowTextA(bare, "Renamed"));
    EXPECT_EQ(0, SendMessageA(bare, WM_GETFONT, 0, 0));
    DestroyWindow(bare);
    UnregisterClassA("QmFrameworkTest", Self());
}

TEST(Button, CreatedButtonTakesTheParentsFontAndGoesWithItsObject) {
    RecordingWindow parent;
    ASSERT_EQ(1, parent.Create(Self(), nullptr, 0, 0, 200, 100, "Buttons"));
    HWND made = nullptr;
    {
        CButton button(Self(), parent.hwnd, 42, 10, 10, 75, 20, WS_CHILD | WS_VISIBLE, 0);
        ASSERT_NE(nullptr, button.hwnd);
        made = button.hwnd;
        EXPECT_EQ(1, button.ownsWindow);
        EXPECT_EQ("Button", ClassOf(made));
        EXPECT_EQ(42, GetDlgCtrlID(made));
        EXPECT_EQ(parent.hwnd, button.hwndParent);
        EXPECT_EQ(reinterpret_cast<LRESULT>(parent.hFont), SendMessageA(made, WM_GETFONT, 0, 0));
        char title[8] = "x";
        GetWindowTextA(made, title, sizeof(title));
        EXPECT_STREQ("", title);
    }
    EXPECT_FALSE(IsWindow(made));
}

TEST(Button, AttachedButtonSurvivesItsObject) {
    RecordingWindow parent;
    ASSERT_EQ(1, parent.Create(Self(), nullptr, 0, 0, 200, 100, "Attach"));
    HWND existing = CreateWindowExA(0, "Button", "Keep", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20,
                                    parent.hwnd, nullptr, Self(), nullptr);
    ASSERT_NE(nullptr, existing);
    {
        CButton wrapper;
        wrapper.Attach(Self(), parent.hwnd, existing);
        EXPECT_EQ(existing, wrapper.hwnd);
        EXPECT_EQ(0, wrapper.ownsWindow);
    }
    EXPECT_TRUE(IsWindow(existing));
}

TEST(Button, FailedCreateLeavesNothingToDestroy) {
    // A child window needs a parent.
    CButton button(Self(), nullptr, 1, 0, 0, 10, 10, WS_CHILD, 0);
    EXPECT_EQ(nullptr, button.hwnd);
    EXPECT_EQ(0, button.ownsWindow);
}

// Records what reaches the object and ends itself with 42 from a timer of its own.
class SelfEndingDialog : public CDialogClass {
  public:
    std::vector<UINT> messages;
    HWND hwndAtInit = nullptr;
    RECT client = {};
    char fontFace[LF_FACESIZE] = {};

    INT_PTR DialogProc(HWND dialog, UINT msg, WPARAM, LPARAM) override {
        messages.push_back(msg);
        if (msg == WM_INITDIALOG) {
            hwndAtInit = hwnd;
            GetClientRect(dialog, &client);
            LOGFONTA font = {};
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)),
                       sizeof(font), &font);
            std::memcpy(fontFace, font.lfFaceName, sizeof(fontFace));
            SetTimer(dialog, 1, 20, nullptr);
            return TRUE;
        }
        if (msg == WM_TIMER) {
            KillTimer(dialog, 1);
            EndDialog(dialog, 42);
            return TRUE;
        }
        return FALSE;
    }
};

TEST(DialogFramework, DoModalRunsTheTemplateAndReturnsTheEndValue) {
    SelfEndingDialog dialog;
    ModalDriver watchdog(nullptr);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(42, dialog.DoModal(Self(), nullptr, 0, 0, 160, 120, style, 0));
    EXPECT_FALSE(watchdog.timedOut());
    EXPECT_EQ(Self(), dialog.hInstance);
    ASSERT_FALSE(dialog.messages.empty());
    // WM_SETFONT and the creation messages come before WM_INITDIALOG and never reach the object.
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dialog.messages.front());
    EXPECT_NE(nullptr, dialog.hwndAtInit);
    // The window is gone and forgotten.
    EXPECT_EQ(nullptr, dialog.hwnd);

    // The template's font and size: 8-point "MS Shell Dlg", 160 x 120 dialog units.
    EXPECT_STREQ("MS Shell Dlg", dialog.fontFace);
    EXPECT_GT(dialog.client.right, 160);
    EXPECT_GT(dialog.client.bottom, 120);
}

} // namespace

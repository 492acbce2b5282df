#include "ui/AboutDialog.h"
#include "ui/ColorModel.h"
#include "ui/Palette.h"
#include "tests/ui/GdiCount.h"
#include "tests/ui/MemoryCanvas.h"
#include "tests/ui/ModalDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// As the tray window opens it: WS_POPUP, WS_CAPTION, WS_SYSMENU, DS_CENTER, DS_MODALFRAME,
// DS_SETFONT, DS_FIXEDSYS; 160 x 120 dialog units.
const DWORD kAboutStyle = 0x80C808C8;

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

std::string BesideExe(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + name;
}

INT_PTR RunAbout(CAboutDialog& dialog, const std::function<void(HWND)>& action,
                 bool* timedOut = nullptr) {
    ModalDriver driver(action);
    const INT_PTR result = dialog.DoModal(Self(), nullptr, 0, 0, 160, 120, kAboutStyle, 0);
    if (timedOut != nullptr) {
        *timedOut = driver.timedOut();
    }
    return result;
}

void PressKey(HWND dialog, WPARAM key) {
    HWND target = GetFocus() != nullptr ? GetFocus() : dialog;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

struct Ending {
    const char* name;
    std::function<void(HWND)> act;
};

TEST(AboutDialog, EveryWayOutEndsWithOne) {
    const Ending endings[] = {
        {"Enter", [](HWND d) { PressKey(d, VK_RETURN); }},
        {"Escape", [](HWND d) { PressKey(d, VK_ESCAPE); }},
        {"OK", [](HWND d) { SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
        {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Ending& ending : endings) {
        CAboutDialog dialog;
        bool timedOut = false;
        EXPECT_EQ(1, RunAbout(dialog, ending.act, &timedOut)) << ending.name;
        EXPECT_FALSE(timedOut) << ending.name;
    }
}

// What the dialog looks like while it is open, read from inside its modal loop.
struct Observed {
    std::string caption;
    DWORD style = 0;
    RECT client = {};
    RECT ok = {};
    std::string okText;
    RECT frame = {};
    HFONT heading = nullptr;
    HFONT text = nullptr;
    HWND groupBox = nullptr;
    HWND okButton = nullptr;
};

RECT ChildRect(HWND dialog, HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(AboutDialog, LayoutAndReleaseOfFontsAndChildren) {
    CAboutDialog dialog;
    Observed seen;
    const INT_PTR result = RunAbout(dialog, [&](HWND d) {
        char caption[64] = {};
        GetWindowTextA(d, caption, sizeof(caption));
        seen.caption = caption;
        seen.style = static_cast<DWORD>(GetWindowLongPtrA(d, GWL_STYLE));
        GetClientRect(d, &seen.client);
        seen.ok = ChildRect(d, GetDlgItem(d, IDOK));
        char ok[8] = {};
        GetWindowTextA(GetDlgItem(d, IDOK), ok, sizeof(ok));
        seen.okText = ok;
        seen.frame = dialog.frameRect;
        seen.heading = dialog.hHeadingFont.Get();
        seen.text = dialog.hTextFont.Get();
        seen.groupBox = dialog.groupBox != nullptr ? dialog.groupBox->hwnd : nullptr;
        seen.okButton = dialog.okButton != nullptr ? dialog.okButton->hwnd : nullptr;
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("About Quill Marsh", seen.caption);
    const DWORD frameBits = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(frameBits, seen.style & frameBits);
    EXPECT_EQ("OK", seen.okText);
    // The OK button: 75 x 20, its left edge 32 pixels left of the client centre, 30 above the
    // bottom.
    EXPECT_EQ(seen.client.right / 2 - 32, seen.ok.left);
    EXPECT_EQ(seen.client.bottom - 30, seen.ok.top);
    EXPECT_EQ(75, seen.ok.right - seen.ok.left);
    EXPECT_EQ(20, seen.ok.bottom - seen.ok.top);
    EXPECT_EQ(20, seen.frame.left);
    EXPECT_EQ(20, seen.frame.top);
    EXPECT_EQ(seen.client.right - 20, seen.frame.right);
    EXPECT_EQ(seen.client.bottom - 40, seen.frame.bottom);

    ASSERT_NE(nullptr, seen.heading);
    ASSERT_NE(nullptr, seen.text);
    ASSERT_NE(nullptr, seen.groupBox);
    ASSERT_NE(nullptr, seen.okButton);
    // Everything made at WM_INITDIALOG is gone once DoModal returns.
    EXPECT_EQ(0u, GetObjectType(seen.heading));
    EXPECT_EQ(0u, GetObjectType(seen.text));
    EXPECT_FALSE(IsWindow(seen.groupBox));
    EXPECT_FALSE(IsWindow(seen.okButton));
    EXPECT_EQ(nullptr, dialog.hHeadingFont.Get());
    EXPECT_EQ(nullptr, dialog.groupBox);
    EXPECT_EQ(nullptr, dialog.okButton);
}

TEST(AboutDialog, LeavesNoGdiObjectsBehind) {
    {
        // The first dialog of a process fills the system's caches of brushes and fonts.
        CAboutDialog warmUp;
        RunAbout(warmUp, [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    }
    const long before = GdiObjectCount();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 3; ++i) {
        CAboutDialog dialog;
        EXPECT_EQ(1, RunAbout(dialog, [](HWND d) {
                      // Paint once more, so the erase handler runs with its fonts selected.
                      RedrawWindow(d, nullptr, nullptr,
                                   RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                      PostMessageA(d, WM_COMMAND, IDOK, 0);
                  }));
    }
    EXPECT_EQ(before, GdiObjectCount());
}

// The offset at which the exact shadow-grey pixels best repeat the exact black ones: text is
// smoothed at its edges, so only the solid inside of the strokes is compared.
POINT ShadowOffset(const MemoryCanvas& canvas, const RECT& area) {
    POINT best = {-99, -99};
    int bestScore = -1;
    for (int dy = -5; dy <= 5; ++dy) {
        for (int dx = -5; dx <= 5; ++dx) {
            int score = 0;
            for (int y = area.top; y < area.bottom; ++y) {
                for (int x = area.left; x < area.right; ++x) {
                    if (canvas.At(x, y) == kHeadingShadow &&
                        canvas.At(x - dx, y - dy) == kHeadingInk) {
                        ++score;
                    }
                }
            }
            if (score > bestScore) {
                bestScore = score;
                best = POINT{dx, dy};
            }
        }
    }
    return best;
}

TEST(AboutDialog, PaintsGradientAndShadowedHeading) {
    CAboutDialog dialog;
    RECT client = {};
    RECT frame = {};
    RECT window = {};
    POINT origin = {0, 0};
    MemoryCanvas clientShot(400, 400, RGB(1, 2, 3));
    MemoryCanvas windowShot(600, 500, RGB(1, 2, 3));
    RunAbout(dialog, [&](HWND d) {
        RedrawWindow(d, nullptr, nullptr,
                     RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        Sleep(200);
        GetClientRect(d, &client);
        GetWindowRect(d, &window);
        frame = dialog.frameRect;
        ClientToScreen(d, &origin);
        clientShot.CaptureScreen(
            RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
        windowShot.CaptureScreen(window);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_GT(client.right, 100);
    ASSERT_LT(client.right, 400);
    ASSERT_LT(client.bottom, 400);

    // The gradient runs from the button face at the top row toward the window colour.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF windowColour = GetSysColor(COLOR_WINDOW);
    const unsigned rows = static_cast<unsigned>(client.bottom);
    EXPECT_EQ(face, clientShot.At(2, 0));
    EXPECT_EQ(BlendColor(face, windowColour, rows, rows / 2), clientShot.At(2, client.bottom / 2));
    EXPECT_EQ(BlendColor(face, windowColour, rows, rows - 1), clientShot.At(2, client.bottom - 1));

    // The heading's shadow lies 3 pixels right of and below it.
    const RECT band = {frame.left, frame.top, frame.right, frame.bottom - 80};
    ASSERT_GT(clientShot.Count(band, RGB(0, 0, 0)), 50);
    ASSERT_GT(clientShot.Count(band, RGB(170, 170, 170)), 50);
    const POINT offset = ShadowOffset(clientShot, band);
    EXPECT_EQ(3, offset.x);
    EXPECT_EQ(3, offset.y);
    // Three lines of small text under the heading, all black.
    const RECT lines = {frame.left, frame.bottom - 80, frame.right, frame.bottom - 15};
    EXPECT_GT(clientShot.Count(lines, RGB(0, 0, 0)), 100);

    MemoryCanvas about(window.right - window.left, window.bottom - window.top, RGB(0, 0, 0));
    BitBlt(about.Dc(), 0, 0, window.right - window.left, window.bottom - window.top,
           windowShot.Dc(), 0, 0, SRCCOPY);
    EXPECT_TRUE(about.SavePng(BesideExe("about-box.png").c_str()));
}

// Moved to a monitor of another scale, the dialog takes the rectangle the system suggests and
// lays itself out again: fonts, group box and OK button at the new DPI, none of the old fonts
// left behind.
TEST(AboutDialog, LaysItselfOutAgainWhenItsDpiChanges) {
    {
        CAboutDialog warmUp;
        RunAbout(warmUp, [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    }
    const long before = GdiObjectCount();
    CAboutDialog dialog;
    Observed seen;
    LOGFONTA heading = {};
    LOGFONTA text = {};
    RECT suggested = {};
    RECT window = {};
    HFONT oldHeading = nullptr;
    RunAbout(dialog, [&](HWND d) {
        oldHeading = dialog.hHeadingFont.Get();
        GetWindowRect(d, &suggested);
        // Half as big again, as the system suggests for 150 %.
        suggested.right = suggested.left + (suggested.right - suggested.left) * 3 / 2;
        suggested.bottom = suggested.top + (suggested.bottom - suggested.top) * 3 / 2;
        SendMessageA(d, 0x02E0, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(d, &window);
        GetClientRect(d, &seen.client);
        seen.ok = ChildRect(d, GetDlgItem(d, IDOK));
        seen.frame = dialog.frameRect;
        GetObjectA(dialog.hHeadingFont.Get(), sizeof heading, &heading);
        GetObjectA(dialog.hTextFont.Get(), sizeof text, &text);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(0u, GetObjectType(oldHeading));
    EXPECT_EQ(42, heading.lfHeight);
    EXPECT_EQ(-17, text.lfHeight);
    EXPECT_TRUE(EqualRect(&suggested, &window));
    EXPECT_EQ(seen.client.right / 2 - 48, seen.ok.left);
    EXPECT_EQ(seen.client.bottom - 45, seen.ok.top);
    EXPECT_EQ(113, seen.ok.right - seen.ok.left);
    EXPECT_EQ(30, seen.ok.bottom - seen.ok.top);
    EXPECT_EQ(30, seen.frame.left);
    EXPECT_EQ(30, seen.frame.top);
    EXPECT_EQ(seen.client.right - 30, seen.frame.right);
    EXPECT_EQ(seen.client.bottom - 60, seen.frame.bottom);
    EXPECT_EQ(before, GdiObjectCount());
}

} // namespace

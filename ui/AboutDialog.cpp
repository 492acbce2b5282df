#include "ui/AboutDialog.h"

#include "ui/DpiQuery.h"
#include "ui/GradientFill.h"
#include "ui/Palette.h"
#include "ui/ScopedGdi.h"

#include <new>

namespace {

const char kCaption[] = "About Quill Marsh";
const char kHeading[] = "Quill Marsh";
const char kVersion[] = "Version 1.0";
const char kBuild[] = "Build : Apr 22 2005 , 19:41:37";
const char kCopyright[] = "Copyright (C) 2026 Quill Marsh";

const UINT kTextFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
const DWORD kGroupBoxStyle = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
const DWORD kOkButtonStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;

HFONT CreateAboutFont(int height, int weight, const char* face) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, face);
}

void DestroyButton(CButton*& button) {
    delete button;
    button = nullptr;
}

// The group box's window rectangle in the dialog's client coordinates.
RECT ClientRectOf(HWND dialog, HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    POINT topLeft = {r.left, r.top};
    POINT bottomRight = {r.right, r.bottom};
    if (ScreenToClient(dialog, &topLeft)) {
        ScreenToClient(dialog, &bottomRight);
    }
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

RECT FrameIn(const AboutLayout& a, const RECT& client) {
    return RECT{a.margin, a.margin, client.right - a.margin, client.bottom - a.frameBottom};
}

RECT OkButtonIn(const AboutLayout& a, const RECT& client) {
    const int left = client.right / 2 - a.okLeftOfCentre;
    const int top = client.bottom - a.okAbove;
    return RECT{left, top, left + a.okWidth, top + a.okHeight};
}

void MoveChild(const CButton* button, const RECT& r) {
    if (button && button->hwnd) {
        MoveWindow(button->hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

void DrawLine(HDC hdc, const char* text, const RECT& frame, int top, int bottom) {
    RECT band = {frame.left, top, frame.right, bottom};
    DrawTextA(hdc, text, -1, &band, kTextFlags);
}

} // namespace

CAboutDialog::CAboutDialog()
    : groupBox(nullptr), okButton(nullptr), frameRect(), layout(AboutLayoutFor(kBaseDpi)) {}

CAboutDialog::~CAboutDialog() {
    OnDestroy();
}

INT_PTR CAboutDialog::DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case kDpiChangedMessage:
        return OnDpiChanged(dialog, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    case WM_ERASEBKGND:
        return OnEraseBkgnd(dialog, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam));
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_DESTROY:
        return OnDestroy();
    default:
        return 0;
    }
}

INT_PTR CAboutDialog::OnInitDialog(HWND dialog) {
    SetWindowTextA(dialog, kCaption);
    CreateChildren(dialog, LayOut(dialog, DpiOfWindow(dialog)));
    return 1;
}

// Moved to a monitor of another scale: to the rectangle the system suggests, and everything the
// dialog sizes itself laid out again.
INT_PTR CAboutDialog::OnDpiChanged(HWND dialog, int dpi, const RECT* suggested) {
    if (suggested) {
        SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const RECT client = LayOut(dialog, dpi);
    MoveChild(groupBox, FrameIn(layout, client));
    MoveChild(okButton, OkButtonIn(layout, client));
    frameRect =
        groupBox && groupBox->hwnd ? ClientRectOf(dialog, groupBox->hwnd) : FrameIn(layout, client);
    InvalidateRect(dialog, nullptr, TRUE);
    return 1;
}

// The layout and fonts for the DPI, the dialog grown to hold them; returns the client area.
RECT CAboutDialog::LayOut(HWND dialog, int dpi) {
    layout = AboutLayoutFor(dpi);
    hHeadingFont.Reset(CreateAboutFont(layout.headingFontHeight, FW_BOLD, "Tahoma"));
    hTextFont.Reset(CreateAboutFont(layout.textFontHeight, FW_NORMAL, "MS Shell Dlg"));
    RECT client = {};
    GetClientRect(dialog, &client);
    if (client.right < layout.minClientWidth || client.bottom < layout.minClientHeight) {
        GrowAndCentre(dialog, client);
        GetClientRect(dialog, &client);
    }
    return client;
}

// Grown to the least client the layout needs, about the same centre.
void CAboutDialog::GrowAndCentre(HWND dialog, const RECT& client) {
    const int dx = client.right < layout.minClientWidth ? layout.minClientWidth - client.right : 0;
    const int dy =
        client.bottom < layout.minClientHeight ? layout.minClientHeight - client.bottom : 0;
    RECT window = {};
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, window.left - dx / 2, window.top - dy / 2,
                 window.right - window.left + dx, window.bottom - window.top + dy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CAboutDialog::CreateChildren(HWND dialog, const RECT& client) {
    const RECT frame = FrameIn(layout, client);
    const RECT ok = OkButtonIn(layout, client);
    groupBox = new (std::nothrow)
        CButton(hInstance, dialog, 0, frame.left, frame.top, frame.right - frame.left,
                frame.bottom - frame.top, kGroupBoxStyle, 0);
    okButton =
        new (std::nothrow) CButton(hInstance, dialog, IDOK, ok.left, ok.top, ok.right - ok.left,
                                   ok.bottom - ok.top, kOkButtonStyle, 0);
    if (okButton && okButton->hwnd) {
        SetWindowTextA(okButton->hwnd, "OK");
    }
    // Without the group box window the texts keep the place it would have had.
    if (groupBox && groupBox->hwnd) {
        frameRect = ClientRectOf(dialog, groupBox->hwnd);
    } else {
        frameRect = frame;
    }
}

INT_PTR CAboutDialog::OnEraseBkgnd(HWND dialog, HDC hdc) {
    PaintAboutBackground(dialog, hdc);
    return 1;
}

void CAboutDialog::PaintAboutBackground(HWND dialog, HDC hdc) {
    RECT fill = {};
    GetClientRect(dialog, &fill);
    GradientFillVertical(hdc, fill, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW));
    SetBkMode(hdc, TRANSPARENT);
    PaintTexts(hdc);
}

void CAboutDialog::PaintTexts(HDC hdc) {
    const AboutLayout& a = layout;
    CScopedSelection headingFont(hdc, hHeadingFont.Get());
    RECT heading = {frameRect.left, frameRect.top + a.headingTop, frameRect.right,
                    frameRect.bottom - a.headingBottom};
    OffsetRect(&heading, a.shadowShift, a.shadowShift);
    SetTextColor(hdc, kHeadingShadow);
    DrawTextA(hdc, kHeading, -1, &heading, kTextFlags);
    OffsetRect(&heading, a.headingShift, a.headingShift);
    SetTextColor(hdc, kHeadingInk);
    DrawTextA(hdc, kHeading, -1, &heading, kTextFlags);

    CScopedSelection textFont(hdc, hTextFont.Get());
    const int b = frameRect.bottom;
    DrawLine(hdc, kVersion, frameRect, b - a.versionBand[0], b - a.versionBand[1]);
    DrawLine(hdc, kBuild, frameRect, b - a.buildBand[0], b - a.buildBand[1]);
    DrawLine(hdc, kCopyright, frameRect, b - a.copyrightBand[0], b - a.copyrightBand[1]);
}

INT_PTR CAboutDialog::OnCtlColorStatic(HDC hdc) {
    // The group box paints no background: its frame stands on the gradient.
    SetBkMode(hdc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

INT_PTR CAboutDialog::OnCommand(HWND dialog, WPARAM wParam) {
    const WORD id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        return EndDialog(dialog, 1);
    }
    return 0;
}

INT_PTR CAboutDialog::OnDestroy() {
    hHeadingFont.Reset();
    hTextFont.Reset();
    DestroyButton(groupBox);
    DestroyButton(okButton);
    return 0;
}

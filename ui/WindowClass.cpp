#include "ui/WindowClass.h"

#include "ui/DisplayScale.h"
#include "ui/DpiQuery.h"
#include "ui/ScopedGdi.h"
#include "ui/WindowObject.h"

namespace {

const char kFrameworkClass[] = "CWindowClass32";
const int kNoWindowExitCode = 6;

CWindowClass* WindowObject(HWND hwnd) {
    return AttachedObject<CWindowClass>(hwnd);
}

bool RegisterFrameworkClassOnce(HINSTANCE instance) {
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(instance, kFrameworkClass, &existing)) {
        return true;
    }
    return RegisterWindowClass(instance, kFrameworkClass, 0, GetSysColorBrush(COLOR_BTNFACE),
                               nullptr, IDC_ARROW) != 0;
}

// 11 pixels high at 96 DPI, scaled to the DPI the process started at.
HFONT CreateDialogFont() {
    return CreateFontA(ScaleToDpi(-11, ChooseDpi({0, 0, SystemDpi()})), 0, 0, 0, FW_NORMAL, FALSE,
                       FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
}

} // namespace

LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        AttachObject(hwnd, static_cast<CWindowClass*>(
                               reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    CWindowClass* object = WindowObject(hwnd);
    if (!object) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_GETFONT) {
        return reinterpret_cast<LRESULT>(object->hFont);
    }
    const LRESULT result = object->WindowProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachObject(hwnd, object);
    }
    return result;
}

ATOM RegisterWindowClass(HINSTANCE hInstance, LPCSTR className, UINT style, HBRUSH background,
                         LPCSTR iconName, LPCSTR cursorName) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.hInstance = hInstance;
    wc.lpszClassName = className;
    wc.lpfnWndProc = StaticWndProc;
    wc.style = style;
    if (iconName) {
        wc.hIcon = LoadIconA(hInstance, iconName);
        wc.hIconSm = LoadIconA(hInstance, iconName);
    }
    if (cursorName) {
        wc.hCursor = LoadCursorA(nullptr, cursorName);
    }
    wc.hbrBackground = background;
    return RegisterClassExA(&wc);
}

CWindowClass::CWindowClass() : hMenu(nullptr), hAccel(nullptr), hFont(nullptr), ownsFont(0) {}

CWindowClass::~CWindowClass() {
    // Detached first: the derived part is already gone, so the messages of the destruction must
    // not reach WindowProc. A handle that no longer names this object's window is left alone.
    if (hwnd && WindowObject(hwnd) == this) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    ReleaseMember(hMenu, DestroyMenu);
    ReleaseMember(hAccel, DestroyAcceleratorTable);
    ReleaseOwnedFont();
}

void CWindowClass::ReleaseOwnedFont() {
    if (ownsFont == 1) {
        hFont = nullptr;
    }
    ownedFont.Reset();
    ownsFont = 0;
}

int CWindowClass::Create(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                         LPCSTR title) {
    hInstance = instance;
    hwndParent = parent;
    hMenu = nullptr;
    hAccel = nullptr;
    InitCommonControls();
    if (!RegisterFrameworkClassOnce(instance)) {
        return 0;
    }
    // A font from an earlier Create of this object is released before hFont is replaced, so the
    // teardown never deletes a parent's font.
    ReleaseOwnedFont();
    DWORD style;
    if (parent) {
        style = WS_CHILD | WS_VISIBLE;
        hFont = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
    } else {
        style = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
        ownedFont.Reset(CreateDialogFont());
        hFont = ownedFont.Get();
        ownsFont = 1;
    }
    CWindowClass* self = this;
    const HWND created = CreateWindowExA(WS_EX_CONTROLPARENT, kFrameworkClass, title, style, x, y,
                                         width, height, parent, nullptr, instance, self);
    return created ? 1 : 0;
}

int CWindowClass::MessageLoop() {
    if (!hwnd) {
        return kNoWindowExitCode;
    }
    MSG msg;
    BOOL got;
    HWND dialog;
    while ((got = (dialog = ModelessDialog()) != nullptr ? GetMessageW(&msg, nullptr, 0, 0)
                                                         : GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            // Nothing more can be read from the queue: end rather than spin.
            return -1;
        }
        if (dialog && IsDialogMessageW(dialog, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        TranslateAcceleratorA(hwnd, hAccel, &msg);
        if (dialog) {
            DispatchMessageW(&msg);
        } else {
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

int CWindowClass::Run() {
    return MessageLoop();
}

#include "ShellWindows.h"
#include "WideText.h"

#include <cstring>
#include <cwchar>

namespace {

const char kProgmanClass[] = "Progman";
const char kDefViewClass[] = "SHELLDLL_DefView";
const char kWorkerClass[] = "WorkerW";
const char kProgmanTitle[] = "Program Manager";
const int kDesktopWidth = 800;
const int kDesktopHeight = 600;
const int kWorkerCount = 3;
// The middle worker holds the DefView, so a lookup has to pass over another one in either order.
const int kDefViewWorker = 1;
// Like a shell's desktop windows, ours never take activation from the windows in front of them.
const DWORD kDesktopExStyle = WS_EX_NOACTIVATE;
const COLORREF kDesktopColor = RGB(0, 96, 112);
// The longest item text read back in-process; longer texts are cut here.
const int kMaxItemText = 1 << 20;

void FillWithFirstChild(HWND hwnd) {
    HWND child = GetWindow(hwnd, GW_CHILD);
    RECT client;
    if (child && GetClientRect(hwnd, &client)) {
        MoveWindow(child, 0, 0, client.right, client.bottom, TRUE);
    }
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE) {
        FillWithFirstChild(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ProgmanProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_COPYDATA: {
        const CShellWindows::Binding* binding =
            reinterpret_cast<const CShellWindows::Binding*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!binding) {
            return 0;
        }
        return binding->handler(binding->context, reinterpret_cast<HWND>(wParam),
                                reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    case WM_SIZE:
        FillWithFirstChild(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool RegisterWindowClass(HINSTANCE hInstance, const char* name, WNDPROC proc) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = hInstance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

// ---- CShellWindows ------------------------------------------------------------------------------

CShellWindows::~CShellWindows() {
    RemoveListView();
    if (hProgman && IsWindow(hProgman)) {
        DestroyWindow(hProgman);
    }
    // The DefView may stand under a worker by now; destroying the workers takes it along.
    for (HWND worker : workers) {
        if (IsWindow(worker)) {
            DestroyWindow(worker);
        }
    }
}

bool CShellWindows::Create(HINSTANCE instance, ControlHandler handler, void* context) {
    hInstance = instance;
    if (!RegisterWindowClass(hInstance, kProgmanClass, ProgmanProc) ||
        !RegisterWindowClass(hInstance, kDefViewClass, ContainerProc) ||
        !RegisterWindowClass(hInstance, kWorkerClass, ContainerProc) ||
        !images.CreateDesktopIcon()) {
        return false;
    }
    binding = {handler, context};
    hProgman =
        CreateWindowExA(0, kProgmanClass, kProgmanTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                        0, kDesktopWidth, kDesktopHeight, nullptr, nullptr, hInstance, &binding);
    if (!hProgman) {
        return false;
    }
    hDefView = CreateWindowExA(0, kDefViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                               0, 0, hProgman, nullptr, hInstance, nullptr);
    if (!hDefView || !CreateListView()) {
        return false;
    }
    FillWithFirstChild(hProgman);
    ShowWindow(hProgman, SW_SHOWNOACTIVATE);
    UpdateWindow(hProgman);
    return true;
}

// Icon view without auto-arrange: every item stays where it was put. No scrolling, so the view's
// origin, and with it every item coordinate, never shifts.
bool CShellWindows::CreateListView() {
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_NOSCROLL | LVS_SHAREIMAGELISTS;
    HWND listView = CreateWindowExA(0, WC_LISTVIEWA, "FolderView", style, 0, 0, 0, 0, hDefView,
                                    nullptr, hInstance, nullptr);
    if (!listView) {
        return false;
    }
    monitor.Attach(listView);
    monitor.SendOwn(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images.Get()));
    monitor.SendOwn(LVM_SETBKCOLOR, 0, kDesktopColor);
    monitor.SendOwn(LVM_SETTEXTBKCOLOR, 0, kDesktopColor);
    monitor.SendOwn(LVM_SETTEXTCOLOR, 0, RGB(255, 255, 255));
    return monitor.ListView() != nullptr;
}

// The whole name, read with the wide request as the list view holds it, in UTF-8.
std::string CShellWindows::ItemText(int item) {
    for (int units = 512;; units *= 2) {
        std::vector<wchar_t> text(static_cast<size_t>(units) + 1, L'\0');
        LVITEMW record = {};
        record.pszText = text.data();
        record.cchTextMax = units;
        monitor.SendOwn(LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&record));
        size_t length = wcsnlen(text.data(), static_cast<size_t>(units));
        if (length + 1 < static_cast<size_t>(units) || units >= kMaxItemText) {
            return WideToUtf8(text.data(), length);
        }
    }
}

std::vector<standin::Icon> CShellWindows::Icons() {
    std::vector<standin::Icon> icons;
    int count = static_cast<int>(monitor.SendOwn(LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        POINT position = {0, 0};
        monitor.SendOwn(LVM_GETITEMPOSITION, item, reinterpret_cast<LPARAM>(&position));
        icons.push_back({ItemText(item), position.x, position.y});
    }
    return icons;
}

// Wide text, as the shell holds its names: an ANSI insert would lose every character outside the
// code page.
bool CShellWindows::AddIcon(int item, const standin::Icon& icon) {
    std::wstring name = Utf8ToWide(icon.name);
    LVITEMW record = {};
    record.mask = LVIF_TEXT | LVIF_IMAGE;
    record.iItem = item;
    record.pszText = &name[0];
    record.iImage = 0;
    return monitor.SendOwn(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&record)) == item;
}

// Wine's list view arranges every icon at its first paint after it was empty; it gets that paint
// now, into a scratch DC, so that it cannot undo the positions given afterwards.
void CShellWindows::SettleListView() {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1, 1);
    ReleaseDC(nullptr, screen);
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        monitor.SendOwn(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        SelectObject(dc, old);
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    if (dc) {
        DeleteDC(dc);
    }
}

bool CShellWindows::ReplaceIcons(const std::vector<standin::Icon>& icons) {
    if (!monitor.ListView()) {
        return false;
    }
    monitor.SendOwn(LVM_DELETEALLITEMS, 0, 0);
    for (size_t item = 0; item < icons.size(); ++item) {
        if (!AddIcon(static_cast<int>(item), icons[item])) {
            return false;
        }
    }
    SettleListView();
    for (size_t item = 0; item < icons.size(); ++item) {
        if (!MoveIcon(static_cast<int>(item), icons[item].x, icons[item].y)) {
            return false;
        }
    }
    return true;
}

// A full POINT: the test's own moves are neither cut to 16 bits nor snapped.
bool CShellWindows::MoveIcon(int item, int x, int y) {
    POINT position = {x, y};
    return monitor.SendOwn(LVM_SETITEMPOSITION32, item, reinterpret_cast<LPARAM>(&position)) != 0;
}

void CShellWindows::RemoveListView() {
    HWND listView = monitor.ListView();
    monitor.Detach();
    if (listView) {
        DestroyWindow(listView);
    }
}

void CShellWindows::MoveDefViewToWorkerW() {
    if (!workers.empty() || !hDefView) {
        return;
    }
    RECT frame;
    GetWindowRect(hProgman, &frame);
    for (int i = 0; i < kWorkerCount; ++i) {
        bool holder = i == kDefViewWorker;
        DWORD style = WS_POPUP | WS_CLIPCHILDREN | (holder ? WS_VISIBLE : 0);
        HWND worker = CreateWindowExA(kDesktopExStyle, kWorkerClass, "", style, frame.left,
                                      frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                      nullptr, nullptr, hInstance, nullptr);
        if (worker) {
            workers.push_back(worker);
        }
        if (worker && holder) {
            SetParent(hDefView, worker);
            FillWithFirstChild(worker);
        }
    }
}

// The shell's supported way to its desktop view from another process: the shell windows object
// finds the desktop's browser, whose active view is the folder view that holds the icons.
#include "desktop/ShellWorker.h"

#ifdef _WIN32
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>

#include <cstring>

namespace {

template <typename Interface> void ReleaseOnce(Interface*& object) {
    if (object) {
        object->Release();
    }
    object = nullptr;
}

// The desktop's browser as the shell windows object knows it. S_FALSE from FindWindowSW means
// there is none.
HRESULT FindDesktopBrowser(IShellBrowser** browser) {
    IShellWindows* windows = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IShellWindows, reinterpret_cast<void**>(&windows));
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT location;
    VARIANT root;
    memset(&location, 0, sizeof location);
    memset(&root, 0, sizeof root);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    root.vt = VT_EMPTY;
    LONG window = 0;
    IDispatch* dispatch = nullptr;
    hr =
        windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &dispatch);
    windows->Release();
    if (hr != S_OK || !dispatch) {
        ReleaseOnce(dispatch);
        return FAILED(hr) ? hr : E_FAIL;
    }
    IServiceProvider* provider = nullptr;
    hr = dispatch->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&provider));
    dispatch->Release();
    if (FAILED(hr)) {
        return hr;
    }
    hr = provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                reinterpret_cast<void**>(browser));
    provider->Release();
    return hr;
}

} // namespace

HRESULT FindShellDesktopView(void*, IFolderView** view, HWND* window) {
    *view = nullptr;
    *window = nullptr;
    IShellBrowser* browser = nullptr;
    HRESULT hr = FindDesktopBrowser(&browser);
    if (FAILED(hr)) {
        return hr;
    }
    IShellView* shellView = nullptr;
    hr = browser->QueryActiveShellView(&shellView);
    browser->Release();
    if (FAILED(hr)) {
        return hr;
    }
    if (!shellView) {
        return E_FAIL;
    }
    hr = shellView->QueryInterface(IID_IFolderView, reinterpret_cast<void**>(view));
    // A view without a window shows no desktop of ours; the caller compares the window.
    HWND shown = nullptr;
    if (SUCCEEDED(hr) && SUCCEEDED(shellView->GetWindow(&shown))) {
        *window = shown;
    }
    shellView->Release();
    return hr;
}

#else

// The host has no shell windows object.
HRESULT FindShellDesktopView(void*, IFolderView** view, HWND* window) {
    *view = nullptr;
    *window = nullptr;
    return REGDB_E_CLASSNOTREG;
}

#endif

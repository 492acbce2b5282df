// The shell's supported way to its desktop view from another process: the shell windows object
// finds the desktop's browser, whose active view is the folder view that holds the icons.
#include "desktop/ShellWorker.h"
#include "base/UniqueOwner.h"

#ifdef _WIN32
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>

#include <cstring>

namespace {

// The desktop's browser as the shell windows object knows it. S_FALSE from FindWindowSW means
// there is none.
HRESULT FindDesktopBrowser(IShellBrowser** browser) {
    CComReference<IShellWindows> windows;
    HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IShellWindows, reinterpret_cast<void**>(windows.Put()));
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
    CComReference<IDispatch> dispatch;
    hr = windows.Get()->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                     dispatch.Put());
    if (hr != S_OK || dispatch.IsEmpty()) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    CComReference<IServiceProvider> provider;
    hr = dispatch.Get()->QueryInterface(IID_IServiceProvider,
                                        reinterpret_cast<void**>(provider.Put()));
    if (FAILED(hr)) {
        return hr;
    }
    return provider.Get()->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                        reinterpret_cast<void**>(browser));
}

} // namespace

HRESULT FindShellDesktopView(void*, IFolderView** view, HWND* window) {
    *view = nullptr;
    *window = nullptr;
    CComReference<IShellBrowser> browser;
    HRESULT hr = FindDesktopBrowser(browser.Put());
    if (FAILED(hr)) {
        return hr;
    }
    CComReference<IShellView> shellView;
    hr = browser.Get()->QueryActiveShellView(shellView.Put());
    if (FAILED(hr)) {
        return hr;
    }
    if (shellView.IsEmpty()) {
        return E_FAIL;
    }
    hr = shellView.Get()->QueryInterface(IID_IFolderView, reinterpret_cast<void**>(view));
    // A view without a window shows no desktop of ours; the caller compares the window.
    HWND shown = nullptr;
    if (SUCCEEDED(hr) && SUCCEEDED(shellView.Get()->GetWindow(&shown))) {
        *window = shown;
    }
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

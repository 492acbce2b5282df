// Host simulation of the COM subset of the shell's folder view that the core calls, for builds on
// the host: the same names, the same interfaces with their methods in the platform's order, and the
// task allocator. No shell windows object is registered here: the product's chain finds none, and
// tests hand the core doubles of IFolderView and IShellFolder instead.
#pragma once

#include "platform/host/HostWin32.h"

#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT

typedef int32_t HRESULT;
typedef uint32_t ULONG;

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define RPC_E_DISCONNECTED ((HRESULT)0x80010108L)
#define RPC_S_SERVER_UNAVAILABLE 1722L
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define HRESULT_FROM_WIN32(x)                                                                      \
    ((HRESULT)(x) <= 0 ? ((HRESULT)(x)) : ((HRESULT)(((x)&0x0000FFFF) | (7 << 16) | 0x80000000)))

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef const IID& REFIID;

inline bool IsEqualIID(REFIID a, REFIID b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           a.Data4[0] == b.Data4[0] && a.Data4[1] == b.Data4[1] && a.Data4[2] == b.Data4[2] &&
           a.Data4[3] == b.Data4[3] && a.Data4[4] == b.Data4[4] && a.Data4[5] == b.Data4[5] &&
           a.Data4[6] == b.Data4[6] && a.Data4[7] == b.Data4[7];
}

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IShellFolder = {0x000214e6, 0x0000, 0x0000, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IFolderView = {
    0xcde725b0, 0xccc9, 0x4519, {0x91, 0x7e, 0x32, 0x5d, 0x72, 0xfa, 0xb4, 0xce}};

#pragma pack(push, 1)
struct SHITEMID {
    USHORT cb;
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
#pragma pack(pop)
typedef ITEMIDLIST* PITEMID_CHILD;
typedef const ITEMIDLIST* PCUITEMID_CHILD;
typedef const ITEMIDLIST** PCUITEMID_CHILD_ARRAY;
typedef ITEMIDLIST* PIDLIST_RELATIVE;
typedef const ITEMIDLIST* PCUIDLIST_RELATIVE;

typedef DWORD SHCONTF;
typedef ULONG SFGAOF;
typedef DWORD SHGDNF;
#define SHGDN_NORMAL 0x0
#define SHGDN_INFOLDER 0x1

enum { STRRET_WSTR = 0, STRRET_OFFSET = 1, STRRET_CSTR = 2 };
struct STRRET {
    UINT uType;
    union {
        LPWSTR pOleStr;
        UINT uOffset;
        char cStr[260];
    };
};

#define SVGIO_BACKGROUND 0x0
#define SVGIO_SELECTION 0x1
#define SVGIO_ALLVIEW 0x2
#define SVSI_DESELECT 0x0
#define SVSI_SELECT 0x1
#define SVSI_POSITIONITEM 0x80

struct IBindCtx;
struct IEnumIDList;

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    virtual ~IUnknown() = default;
};

struct IShellFolder : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND hwnd, IBindCtx* pbc,
                                                       LPWSTR pszDisplayName, ULONG* pchEaten,
                                                       PIDLIST_RELATIVE* ppidl,
                                                       ULONG* pdwAttributes) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumObjects(HWND hwnd, SHCONTF grfFlags,
                                                  IEnumIDList** ppenumIDList) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc,
                                                   REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc,
                                                    REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1,
                                                 PCUIDLIST_RELATIVE pidl2) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                                      SFGAOF* rgfInOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND hwndOwner, UINT cidl,
                                                    PCUITEMID_CHILD_ARRAY apidl, REFIID riid,
                                                    UINT* rgfReserved, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags,
                                                       STRRET* pName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName,
                                                SHGDNF uFlags, PITEMID_CHILD* ppidlOut) = 0;
};

struct IFolderView : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT* pViewMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCurrentViewMode(UINT ViewMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFolder(REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(int iItemIndex, PITEMID_CHILD* ppidl) = 0;
    virtual HRESULT STDMETHODCALLTYPE ItemCount(UINT uFlags, int* pcItems) = 0;
    virtual HRESULT STDMETHODCALLTYPE Items(UINT uFlags, REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int* piItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedItem(int* piItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD pidl, POINT* ppt) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSpacing(POINT* ppt) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT* ppt) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAutoArrange() = 0;
    virtual HRESULT STDMETHODCALLTYPE SelectItem(int iItem, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT cidl, PCUITEMID_CHILD_ARRAY apidl,
                                                             POINT* apt, DWORD dwFlags) = 0;
};

// The task allocator, with the platform's rules: memory from one is freed by the other, and
// freeing null does nothing.
LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
void WINAPI CoTaskMemFree(LPVOID pv);

#define COINIT_MULTITHREADED 0x0
HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
void WINAPI CoUninitialize(void);

// Known folders: there only once a test sets them (hostsim::SetKnownFolder); until then the
// lookup fails, as for an account without a profile.
typedef WCHAR* PWSTR;
typedef GUID KNOWNFOLDERID;
typedef const KNOWNFOLDERID& REFKNOWNFOLDERID;
const KNOWNFOLDERID FOLDERID_LocalAppData = {
    0xf1b32785, 0x6fba, 0x4fcf, {0x9d, 0x55, 0x7b, 0x8e, 0x7f, 0x15, 0x70, 0x91}};
const KNOWNFOLDERID FOLDERID_Desktop = {
    0xb4bfcc3a, 0xdb2c, 0x424c, {0xb0, 0x29, 0x7f, 0xe9, 0x9a, 0x87, 0xc6, 0x41}};
const KNOWNFOLDERID FOLDERID_PublicDesktop = {
    0xc4aa340d, 0xf20f, 0x4863, {0xaf, 0xef, 0xf8, 0x7e, 0xf2, 0xe6, 0xba, 0x25}};
// The path comes from CoTaskMemAlloc, and *ppszPath is null on failure.
HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken,
                                    PWSTR* ppszPath);

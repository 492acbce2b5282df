#include "contract/TestShellView.h"
#include "contract/TestDesktop.h"

#include "base/TextEncoding.h"

#include <atomic>
#include <cstring>
#include <new>

namespace testshell {

namespace {

const uint16_t kIdMark = 0x5153;

#pragma pack(push, 1)
struct TestItemId {
    USHORT cb;
    uint16_t mark;
    int32_t item;
    USHORT terminator;
};
#pragma pack(pop)

PITEMID_CHILD NewItemId(int item) {
    TestItemId* id = static_cast<TestItemId*>(CoTaskMemAlloc(sizeof(TestItemId)));
    if (!id) {
        return nullptr;
    }
    id->cb = sizeof(TestItemId) - sizeof(USHORT);
    id->mark = kIdMark;
    id->item = item;
    id->terminator = 0;
    return reinterpret_cast<PITEMID_CHILD>(id);
}

int Snap(int value, int grid) {
    if (grid <= 0) {
        return value;
    }
    int snapped = value / grid * grid;
    return snapped > value ? snapped - grid : snapped;
}

// IUnknown of a double that answers for its own interface.
template <typename Interface> class CCounted : public Interface {
  public:
    explicit CCounted(const IID& own) : iid(own), references(1) {}
    virtual ~CCounted() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, iid)) {
            return E_NOINTERFACE;
        }
        this->AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  private:
    const IID& iid;
    std::atomic<ULONG> references;
};

class CTestFolder final : public CCounted<IShellFolder> {
  public:
    explicit CTestFolder(CTestShell* owner) : CCounted(IID_IShellFolder), shell(owner) {}

    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                               ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                            void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                            void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD id, SHGDNF flags,
                                               STRRET* name) override {
        HRESULT hr = shell->Enter(kGetDisplayNameOf);
        if (FAILED(hr)) {
            return hr;
        }
        std::vector<WCHAR> text;
        if (flags != SHGDN_INFOLDER || !shell->NameOf(ItemOfId(id), &text)) {
            return E_INVALIDARG;
        }
        LPWSTR copy = static_cast<LPWSTR>(CoTaskMemAlloc(text.size() * sizeof(WCHAR)));
        if (!copy) {
            return E_OUTOFMEMORY;
        }
        memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
        name->uType = STRRET_WSTR;
        name->pOleStr = copy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF,
                                        PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }

  private:
    CTestShell* shell;
};

class CTestView final : public CCounted<IFolderView> {
  public:
    explicit CTestView(CTestShell* owner) : CCounted(IID_IFolderView), shell(owner) {}

    HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolder(REFIID riid, void** object) override {
        *object = nullptr;
        HRESULT hr = shell->Enter(kGetFolder);
        if (FAILED(hr)) {
            return hr;
        }
        CTestFolder* folder = new (std::nothrow) CTestFolder(shell);
        if (!folder) {
            return E_OUTOFMEMORY;
        }
        hr = folder->QueryInterface(riid, object);
        folder->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Item(int item, PITEMID_CHILD* id) override {
        *id = nullptr;
        HRESULT hr = shell->Enter(kItem);
        if (FAILED(hr)) {
            return hr;
        }
        *id = NewItemId(item);
        return *id ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE ItemCount(UINT flags, int* count) override {
        *count = 0;
        HRESULT hr = shell->Enter(kItemCount);
        if (FAILED(hr)) {
            return hr;
        }
        return flags == SVGIO_ALLVIEW ? shell->CountItems(count) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Items(UINT, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocusedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD id, POINT* position) override {
        HRESULT hr = shell->Enter(kGetItemPosition);
        if (FAILED(hr)) {
            return hr;
        }
        return shell->PositionOf(ItemOfId(id), position) ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE GetSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(int, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT count, PCUITEMID_CHILD_ARRAY ids,
                                                     POINT* points, DWORD flags) override {
        HRESULT hr = shell->Enter(kSelectAndPositionItems);
        if (FAILED(hr)) {
            return hr;
        }
        return flags == SVSI_POSITIONITEM ? shell->Place(count, ids, points) : E_INVALIDARG;
    }

  private:
    CTestShell* shell;
};

// Every shell ever made, never freed: a worker given up may still be inside one.
std::vector<CTestShell*>& AllShells() {
    static auto* shells = new std::vector<CTestShell*>;
    return *shells;
}

} // namespace

int ItemOfId(PCUITEMID_CHILD id) {
    const TestItemId* ours = reinterpret_cast<const TestItemId*>(id);
    return id && ours->cb == sizeof(TestItemId) - sizeof(USHORT) && ours->mark == kIdMark
               ? ours->item
               : -1;
}

CTestShell::CTestShell()
    : window(CDesktopLayout::FindDesktopDefView()),
      never(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CTestShell* CTestShell::Create() {
    CTestShell* shell = new CTestShell;
    AllShells().push_back(shell);
    return shell;
}

void CTestShell::Attach(CDesktopLayout* layout, DWORD boundMs) {
    layout->shellViewSource = Source;
    layout->shellViewContext = this;
    layout->shellCallBoundMs = boundMs;
}

HRESULT CTestShell::Source(void* context, IFolderView** view, HWND* window) {
    CTestShell* shell = static_cast<CTestShell*>(context);
    *view = nullptr;
    *window = nullptr;
    HRESULT hr = shell->Enter(kSource);
    if (hr != S_OK) {
        return hr;
    }
    *view = new (std::nothrow) CTestView(shell);
    *window = shell->window;
    return *view ? S_OK : E_OUTOFMEMORY;
}

void CTestShell::Fail(Method method, int first, int last, HRESULT result) {
    failFrom[method] = first;
    failUntil[method] = last;
    failWith[method] = result;
}

void CTestShell::HangAt(Method method, int call) {
    hangAt[method] = call;
}

void CTestShell::ReturnHungCalls() {
    SetEvent(never);
}

int CTestShell::TotalCalls() const {
    int total = 0;
    for (int count : calls) {
        total += count;
    }
    return total;
}

HRESULT CTestShell::Enter(Method method) {
    int call = ++calls[method];
    if (hangAt[method] == call) {
        WaitForSingleObject(never, INFINITE);
    }
    bool fails = failFrom[method] != 0 && call >= failFrom[method] && call <= failUntil[method];
    return fails ? failWith[method] : S_OK;
}

// One read of the desktop's icons per count, as a view lists its items once it is asked for them.
HRESULT CTestShell::CountItems(int* count) {
    names.clear();
    positions.clear();
    for (const testdesktop::Icon& icon : testdesktop::Icons()) {
        std::vector<WCHAR> name(icon.name.size() + 1);
        if (!icon.name.empty() &&
            Utf8ToUtf16(icon.name.data(), icon.name.size(), name.data(), name.size()) == 0) {
            return E_FAIL;
        }
        names.push_back(name);
        positions.push_back(
            {icon.x * viewPercent / 100 + viewDx, icon.y * viewPercent / 100 + viewDy});
    }
    *count = static_cast<int>(names.size());
    return S_OK;
}

bool CTestShell::NameOf(int item, std::vector<WCHAR>* name) const {
    if (item < 0 || static_cast<size_t>(item) >= names.size()) {
        return false;
    }
    *name = names[item];
    return true;
}

bool CTestShell::PositionOf(int item, POINT* position) const {
    if (item < 0 || static_cast<size_t>(item) >= positions.size()) {
        return false;
    }
    *position = positions[item];
    return true;
}

HRESULT CTestShell::Place(UINT count, PCUITEMID_CHILD_ARRAY ids, const POINT* points) {
    std::vector<int> items;
    for (UINT i = 0; i < count; i++) {
        int item = ItemOfId(ids[i]);
        if (item < 0 || static_cast<size_t>(item) >= positions.size()) {
            return E_INVALIDARG;
        }
        items.push_back(item);
    }
    for (UINT i = 0; i < count; i++) {
        int x = (Snap(points[i].x, snapGrid) - viewDx) * 100 / viewPercent;
        int y = (Snap(points[i].y, snapGrid) - viewDy) * 100 / viewPercent;
        testdesktop::MoveIcon(items[i], x, y);
    }
    placements.push_back(items);
    return S_OK;
}

} // namespace testshell

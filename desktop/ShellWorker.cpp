// The worker thread of the shell route and the calls it makes on the folder view.
#include "desktop/ShellWorker.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

DWORD BoundFor(DWORD boundMs, int items) {
    return boundMs + static_cast<DWORD>(items > 0 ? items : 0) * kShellCallBoundPerItemMs;
}

// A name in the code page, as an older folder may give it.
bool IconNameFromAnsi(const char* text, size_t available, char* name) {
    char bytes[kIconNameUnits + 1];
    size_t most = kIconNameUnits;
    size_t length = strnlen(text, available < most ? available : most);
    memcpy(bytes, text, length);
    bytes[length] = '\0';
    name[0] = '\0';
    return length == 0 || AnsiToUtf8(bytes, length, name, kIconNameBytes) > 0;
}

// Frees what the folder allocated for the name.
bool NameOfStrRet(STRRET* text, PCUITEMID_CHILD id, char* name) {
    switch (text->uType) {
    case STRRET_WSTR: {
        CTaskMemory<WCHAR> owned(text->pOleStr);
        return !owned.IsEmpty() && IconNameFromUtf16(owned.Get(), kIconNameUnits, name);
    }
    case STRRET_CSTR:
        return IconNameFromAnsi(text->cStr, sizeof text->cStr, name);
    case STRRET_OFFSET: {
        USHORT size = id->mkid.cb;
        if (text->uOffset >= size) {
            return false;
        }
        const char* start = reinterpret_cast<const char*>(id) + text->uOffset;
        return IconNameFromAnsi(start, size - text->uOffset, name);
    }
    }
    return false;
}

} // namespace

CShellWorker::CShellWorker(ShellViewSource viewSource, void* context, DWORD bound)
    : owners(2), givenUp(false), ended(false), boundMs(bound), source(viewSource),
      sourceContext(context), job(kConnect), item(0), placeCount(0), placeCapacity(0), result(S_OK),
      count(0), window(nullptr), position(), idCount(0) {
    name[0] = '\0';
}

CShellWorker::~CShellWorker() {}

CShellWorker* CShellWorker::Start(ShellViewSource source, void* context, DWORD boundMs) {
    CShellWorker* worker = new (std::nothrow) CShellWorker(source, context, boundMs);
    if (!worker) {
        return nullptr;
    }
    worker->request.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    worker->done.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    CUniqueHandle thread(!worker->request.IsEmpty() && !worker->done.IsEmpty()
                             ? CreateThread(nullptr, 0, Main, worker, 0, nullptr)
                             : nullptr);
    if (thread.IsEmpty()) {
        delete worker;
        return nullptr;
    }
    return worker;
}

void CShellWorker::Release() {
    GiveUp();
    Unref();
}

// The worker ends as soon as it is back from its call, or at once when it is idle.
void CShellWorker::GiveUp() {
    givenUp = true;
    SetEvent(request.Get());
}

void CShellWorker::Unref() {
    if (--owners == 0) {
        delete this;
    }
}

// The worker keeps the apartment for as long as it holds the view.
DWORD WINAPI CShellWorker::Main(LPVOID parameter) {
    CShellWorker* worker = static_cast<CShellWorker*>(parameter);
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        WaitForSingleObject(worker->request.Get(), INFINITE);
        if (worker->givenUp) {
            break;
        }
        worker->Run();
        SetEvent(worker->done.Get());
    }
    worker->ReleaseView();
    if (SUCCEEDED(initialized)) {
        CoUninitialize();
    }
    worker->ended = true;
    worker->Unref();
    return 0;
}

// Nothing of the call is written once the worker was given up: it may still be reading the last.
HRESULT CShellWorker::Call(Job call, int index, int items) {
    if (givenUp) {
        return kShellCallTimedOut;
    }
    job = call;
    item = index;
    SetEvent(request.Get());
    if (WaitForSingleObject(done.Get(), BoundFor(boundMs, items)) != WAIT_OBJECT_0) {
        GiveUp();
        return kShellCallTimedOut;
    }
    return result;
}

HRESULT CShellWorker::Connect(HWND* viewWindow) {
    HRESULT hr = Call(kConnect, 0, 0);
    *viewWindow = SUCCEEDED(hr) ? window : nullptr;
    return hr;
}

HRESULT CShellWorker::CountItems(int* items) {
    HRESULT hr = Call(kCount, 0, 0);
    *items = SUCCEEDED(hr) ? count : 0;
    return hr;
}

HRESULT CShellWorker::ReadName(int index, char* itemName) {
    HRESULT hr = Call(kName, index, 1);
    if (SUCCEEDED(hr)) {
        memcpy(itemName, name, sizeof name);
    }
    return hr;
}

HRESULT CShellWorker::ReadPosition(int index, POINT* itemPosition) {
    HRESULT hr = Call(kPosition, index, 1);
    if (SUCCEEDED(hr)) {
        *itemPosition = position;
    }
    return hr;
}

HRESULT CShellWorker::Place(int items, const int* indexes, const POINT* points) {
    if (givenUp) {
        return kShellCallTimedOut;
    }
    if (!ReservePlacement(items)) {
        return E_OUTOFMEMORY;
    }
    memcpy(placeItems.Get(), indexes, sizeof(int) * static_cast<size_t>(items));
    memcpy(placePoints.Get(), points, sizeof(POINT) * static_cast<size_t>(items));
    placeCount = items;
    return Call(kPlace, 0, items);
}

bool CShellWorker::ReservePlacement(int items) {
    if (items <= placeCapacity) {
        return true;
    }
    CHeapArray<int> newItems(new (std::nothrow) int[items]);
    CHeapArray<POINT> newPoints(new (std::nothrow) POINT[items]);
    CHeapArray<PCUITEMID_CHILD> newIds(new (std::nothrow) PCUITEMID_CHILD[items]);
    if (newItems.IsEmpty() || newPoints.IsEmpty() || newIds.IsEmpty()) {
        return false;
    }
    placeItems = std::move(newItems);
    placePoints = std::move(newPoints);
    placeIds = std::move(newIds);
    placeCapacity = items;
    return true;
}

// ---- On the worker's thread -------------------------------------------------------------------

void CShellWorker::Run() {
    switch (job) {
    case kConnect:
        result = RunConnect();
        return;
    case kCount:
        result = RunCount();
        return;
    case kName:
        result = RunName();
        return;
    case kPosition:
        result = RunPosition();
        return;
    case kPlace:
        result = RunPlace();
        return;
    }
}

HRESULT CShellWorker::RunConnect() {
    ReleaseView();
    window = nullptr;
    IFolderView* found = nullptr;
    HRESULT hr = source(sourceContext, &found, &window);
    if (FAILED(hr) || !found) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    view.Reset(found);
    hr = view.Get()->GetFolder(IID_IShellFolder, reinterpret_cast<void**>(folder.Put()));
    if (SUCCEEDED(hr) && folder.IsEmpty()) {
        hr = E_FAIL;
    }
    return hr;
}

HRESULT CShellWorker::RunCount() {
    ForgetItems();
    count = 0;
    if (view.IsEmpty()) {
        return E_FAIL;
    }
    int items = 0;
    HRESULT hr = view.Get()->ItemCount(SVGIO_ALLVIEW, &items);
    if (FAILED(hr)) {
        return hr;
    }
    if (items < 0) {
        return E_FAIL;
    }
    if (items > 0) {
        ids.Reset(new (std::nothrow) CItemId[items]);
        if (ids.IsEmpty()) {
            return E_OUTOFMEMORY;
        }
    }
    idCount = items;
    count = items;
    return S_OK;
}

HRESULT CShellWorker::RunName() {
    PCUITEMID_CHILD id = nullptr;
    HRESULT hr = IdOf(item, &id);
    if (FAILED(hr)) {
        return hr;
    }
    STRRET text;
    memset(&text, 0, sizeof text);
    hr = folder.Get()->GetDisplayNameOf(id, SHGDN_INFOLDER, &text);
    if (FAILED(hr)) {
        return hr;
    }
    return NameOfStrRet(&text, id, name) ? S_OK : E_FAIL;
}

HRESULT CShellWorker::RunPosition() {
    PCUITEMID_CHILD id = nullptr;
    HRESULT hr = IdOf(item, &id);
    if (FAILED(hr)) {
        return hr;
    }
    POINT point = {0, 0};
    hr = view.Get()->GetItemPosition(id, &point);
    if (SUCCEEDED(hr)) {
        position = point;
    }
    return hr;
}

HRESULT CShellWorker::RunPlace() {
    for (int i = 0; i < placeCount; i++) {
        HRESULT hr = IdOf(placeItems.Get()[i], &placeIds.Get()[i]);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return view.Get()->SelectAndPositionItems(static_cast<UINT>(placeCount), placeIds.Get(),
                                              placePoints.Get(), SVSI_POSITIONITEM);
}

// The item's id, asked for once per count.
HRESULT CShellWorker::IdOf(int index, PCUITEMID_CHILD* id) {
    if (view.IsEmpty() || folder.IsEmpty() || index < 0 || index >= idCount) {
        return E_INVALIDARG;
    }
    CItemId& known = ids.Get()[index];
    if (known.IsEmpty()) {
        PITEMID_CHILD fetched = nullptr;
        HRESULT hr = view.Get()->Item(index, &fetched);
        if (FAILED(hr)) {
            return hr;
        }
        if (!fetched) {
            return E_FAIL;
        }
        known.Reset(fetched);
    }
    *id = known.Get();
    return S_OK;
}

void CShellWorker::ForgetItems() {
    ids.Reset();
    idCount = 0;
}

void CShellWorker::ReleaseView() {
    ForgetItems();
    folder.Reset();
    view.Reset();
}

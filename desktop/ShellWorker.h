// The thread that makes every call into the shell's folder view. Calls into the shell cross a
// process boundary and have no timeout of their own, so the caller waits for each with a bound, in
// a wait that dispatches nothing. A call that does not come back in time is given up: its worker
// then owns all it touches, ends by itself whenever the call returns, and is never waited for. The
// caller may keep its share of a given-up worker to learn when it has ended.
#pragma once

#include "base/TaskMemory.h"
#include "base/UniqueOwner.h"
#include "desktop/IconName.h"
#include "platform/shellview.h"

#include <atomic>
#include <type_traits>

// Gives, on the worker's thread, the desktop's folder view (one reference, the caller's) and the
// window that shows it, null when it has none.
typedef HRESULT (*ShellViewSource)(void* context, IFolderView** view, HWND* window);

// The shell's own: its windows object, the desktop's browser and its active view (ShellView.cpp).
HRESULT FindShellDesktopView(void* context, IFolderView** view, HWND* window);

// The result of a call that was given up.
const HRESULT kShellCallTimedOut = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

enum {
    // The bound of a call, and what each item it carries adds to it.
    kShellCallBoundMs = 2000,
    kShellCallBoundPerItemMs = 10,
    // A shell that has just started registers its windows object a little later: until then the
    // object is "not registered", and the route is not asked again for this long.
    kShellClassRefusalMs = 30000,
};

// Shared by the caller and the worker; whichever lets go of it last frees it.
class CShellWorker {
  public:
    // A running worker, or null.
    static CShellWorker* Start(ShellViewSource source, void* context, DWORD boundMs);
    // Releases the caller's share and lets the worker end: a call that was given up ends it as soon
    // as it returns; an idle worker ends at once. Nothing waits for it. The caller must not use the
    // worker again.
    void Release();
    // Once a call was given up, every further call answers kShellCallTimedOut at once.
    bool IsGivenUp() const { return givenUp; }
    // True once a worker given up is back from the shell and has let go of all it held.
    bool HasEnded() const { return ended; }

    // Each returns the call's result, or kShellCallTimedOut when it was given up.
    HRESULT Connect(HWND* window);
    // Also forgets the items of the last count: item indexes refer to this one.
    HRESULT CountItems(int* count);
    // The name as the view shows it, in UTF-8 (kIconNameBytes), cut as a list view cuts it.
    HRESULT ReadName(int item, char* name);
    HRESULT ReadPosition(int item, POINT* position);
    // Places these items at these points in the view's coordinates, in one call.
    HRESULT Place(int count, const int* items, const POINT* points);

  private:
    enum Job { kConnect, kCount, kName, kPosition, kPlace };

    std::atomic<int> owners;
    std::atomic<bool> givenUp;
    std::atomic<bool> ended;
    CUniqueHandle request;
    CUniqueHandle done;
    DWORD boundMs;
    ShellViewSource source;
    void* sourceContext;

    // The call: written by the caller while the worker waits, read back once it is done.
    Job job;
    int item;
    int placeCount;
    int placeCapacity;
    CHeapArray<int> placeItems;
    CHeapArray<POINT> placePoints;
    CHeapArray<PCUITEMID_CHILD> placeIds;
    HRESULT result;
    int count;
    HWND window;
    POINT position;
    char name[kIconNameBytes];

    // The worker's alone.
    CComReference<IFolderView> view;
    CComReference<IShellFolder> folder;
    // Each item's id, fetched when first asked for.
    typedef CTaskMemory<std::remove_pointer<PITEMID_CHILD>::type> CItemId;
    CHeapArray<CItemId> ids;
    int idCount;

    CShellWorker(ShellViewSource source, void* context, DWORD boundMs);
    ~CShellWorker();
    CShellWorker(const CShellWorker&) = delete;
    CShellWorker& operator=(const CShellWorker&) = delete;

    static DWORD WINAPI Main(LPVOID parameter);
    void Unref();
    void GiveUp();
    HRESULT Call(Job call, int index, int items);
    bool ReservePlacement(int items);

    void Run();
    HRESULT RunConnect();
    HRESULT RunCount();
    HRESULT RunName();
    HRESULT RunPosition();
    HRESULT RunPlace();
    HRESULT IdOf(int index, PCUITEMID_CHILD* id);
    void ForgetItems();
    void ReleaseView();
};

// Threads, events and the COM calls of the host simulation. Threads are the host's own, detached:
// as on Windows, a thread runs on after its handle is closed, and nothing waits for it unless
// asked to. Every handle is shared by its holders, so closing one while another thread waits on
// it is safe.
#include "platform/host/HostShellView.h"
#include "platform/host/HostThreads.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct SyncObject {
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
    bool manualReset = true;
};

// Never destroyed: a thread nothing waits for may still use them while the process ends.
std::mutex& HandlesMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

std::map<HANDLE, std::shared_ptr<SyncObject>>& Handles() {
    static auto* handles = new std::map<HANDLE, std::shared_ptr<SyncObject>>;
    return *handles;
}

HANDLE AddHandle(const std::shared_ptr<SyncObject>& object) {
    std::lock_guard<std::mutex> lock(HandlesMutex());
    HANDLE handle = object.get();
    Handles()[handle] = object;
    return handle;
}

std::shared_ptr<SyncObject> FindHandle(HANDLE handle) {
    std::lock_guard<std::mutex> lock(HandlesMutex());
    auto found = Handles().find(handle);
    return found == Handles().end() ? nullptr : found->second;
}

void Signal(SyncObject& object) {
    std::lock_guard<std::mutex> lock(object.mutex);
    object.signalled = true;
    object.changed.notify_all();
}

} // namespace

bool HostCloseSyncObject(HANDLE handle) {
    std::lock_guard<std::mutex> lock(HandlesMutex());
    return Handles().erase(handle) != 0;
}

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD, LPDWORD lpThreadId) {
    std::shared_ptr<SyncObject> ended = std::make_shared<SyncObject>();
    std::thread([ended, lpStartAddress, lpParameter] {
        lpStartAddress(lpParameter);
        Signal(*ended);
    }).detach();
    if (lpThreadId) {
        *lpThreadId = 0;
    }
    return AddHandle(ended);
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR) {
    std::shared_ptr<SyncObject> event = std::make_shared<SyncObject>();
    event->manualReset = bManualReset != 0;
    event->signalled = bInitialState != 0;
    return AddHandle(event);
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
    std::shared_ptr<SyncObject> object = FindHandle(hEvent);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Signal(*object);
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    std::shared_ptr<SyncObject> object = FindHandle(hHandle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    std::unique_lock<std::mutex> lock(object->mutex);
    auto isSignalled = [&object] { return object->signalled; };
    if (dwMilliseconds == INFINITE) {
        object->changed.wait(lock, isSignalled);
    } else if (!object->changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds),
                                         isSignalled)) {
        return WAIT_TIMEOUT;
    }
    if (!object->manualReset) {
        object->signalled = false;
    }
    return WAIT_OBJECT_0;
}

LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) {
    return malloc(cb ? cb : 1);
}

void WINAPI CoTaskMemFree(LPVOID pv) {
    free(pv);
}

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD) {
    return S_OK;
}

void WINAPI CoUninitialize(void) {}

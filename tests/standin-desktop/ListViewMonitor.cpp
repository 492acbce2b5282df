#include "ListViewMonitor.h"

#include <commctrl.h>

#include <cstddef>

namespace {

const UINT_PTR kSubclassId = 1;

bool IsTextRequest(UINT msg) {
    return msg == LVM_GETITEMTEXTA || msg == LVM_GETITEMTEXTW;
}

bool IsWatched(UINT msg) {
    return msg == LVM_GETITEMCOUNT || IsTextRequest(msg) || msg == LVM_GETITEMPOSITION ||
           msg == LVM_SETITEMPOSITION;
}

// The caller's record up to cchTextMax, read so that a bad address fails instead of faulting.
// LVITEMW is laid out as LVITEMA.
bool ReadCallerRecord(LPARAM lParam, LVITEMA* record) {
    const size_t bytes = offsetof(LVITEMA, cchTextMax) + sizeof record->cchTextMax;
    SIZE_T read = 0;
    return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(lParam), record,
                             bytes, &read) &&
           read == bytes;
}

} // namespace

int SnapToGrid(int value, int grid) {
    if (grid <= 0) {
        return value;
    }
    int snapped = value / grid * grid;
    return snapped > value ? snapped - grid : snapped;
}

CListViewMonitor::~CListViewMonitor() {
    Detach();
}

void CListViewMonitor::Attach(HWND listView) {
    Detach();
    if (listView &&
        SetWindowSubclass(listView, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        hListView = listView;
    }
}

void CListViewMonitor::Detach() {
    if (hListView && IsWindow(hListView)) {
        RemoveWindowSubclass(hListView, SubclassProc, kSubclassId);
    }
    hListView = nullptr;
}

LRESULT CListViewMonitor::SendOwn(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hListView) {
        return 0;
    }
    ++busy;
    LRESULT result = SendMessageA(hListView, msg, wParam, lParam);
    --busy;
    return result;
}

std::vector<standin::LoggedRequest> CListViewMonitor::TakeLog() {
    std::vector<standin::LoggedRequest> taken;
    taken.swap(log);
    return taken;
}

LRESULT CALLBACK CListViewMonitor::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR refData) {
    CListViewMonitor* monitor = reinterpret_cast<CListViewMonitor*>(refData);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        monitor->hListView = nullptr;
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if (!IsWatched(msg)) {
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    return monitor->HandleWatched(hwnd, msg, wParam, lParam);
}

// Every move is snapped, whoever sends it; only other processes' requests are logged. Our own
// requests arrive while busy, and InSendMessage alone cannot tell them apart: inside a control
// request, which another process sent, it answers true for them too.
// Wine's list view takes positions while it arranges its icons itself; the Windows desktop
// refuses them, and so does this one, to other processes.
LRESULT CListViewMonitor::HandleWatched(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool fromOutside = busy == 0 && InSendMessage();
    if (fromOutside) {
        Record(msg, wParam, lParam);
    }
    if (fromOutside && msg == LVM_SETITEMPOSITION &&
        (GetWindowLongA(hwnd, GWL_STYLE) & LVS_AUTOARRANGE) != 0) {
        return FALSE;
    }
    ++busy;
    LRESULT result = msg == LVM_SETITEMPOSITION && snapGrid > 0
                         ? MoveSnapped(hwnd, wParam, lParam)
                         : DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == LVM_SETITEMPOSITION && shiftOnMove != 0 && wParam > 0) {
        ShiftNeighbour(hwnd, wParam);
    }
    --busy;
    return result;
}

void CListViewMonitor::Record(UINT msg, WPARAM wParam, LPARAM lParam) {
    standin::LoggedRequest request = {};
    request.msg = msg;
    request.wParam = wParam;
    request.lParam = lParam;
    LVITEMA record = {};
    if (IsTextRequest(msg) && ReadCallerRecord(lParam, &record)) {
        request.hasRecord = 1;
        request.mask = record.mask;
        request.iItem = record.iItem;
        request.iSubItem = record.iSubItem;
        request.pszText = reinterpret_cast<uintptr_t>(record.pszText);
        request.cchTextMax = record.cchTextMax;
    }
    log.push_back(request);
}

// A snapped coordinate may leave the 16 bits of the request, so it goes on as a full POINT.
LRESULT CListViewMonitor::MoveSnapped(HWND hwnd, WPARAM item, LPARAM lParam) {
    POINT point;
    point.x = SnapToGrid(static_cast<SHORT>(LOWORD(lParam)), snapGrid);
    point.y = SnapToGrid(static_cast<SHORT>(HIWORD(lParam)), snapGrid);
    return DefSubclassProc(hwnd, LVM_SETITEMPOSITION32, item, reinterpret_cast<LPARAM>(&point));
}

void CListViewMonitor::ShiftNeighbour(HWND hwnd, WPARAM item) {
    POINT point = {0, 0};
    if (!DefSubclassProc(hwnd, LVM_GETITEMPOSITION, item - 1, reinterpret_cast<LPARAM>(&point))) {
        return;
    }
    point.x += shiftOnMove;
    DefSubclassProc(hwnd, LVM_SETITEMPOSITION32, item - 1, reinterpret_cast<LPARAM>(&point));
}

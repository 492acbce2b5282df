// Doubles of the shell's folder view (IFolderView) and folder (IShellFolder) whose items are the
// icons of the contract tests' desktop: the simulated shell on the host, the stand-in desktop's
// real list view under Wine. They give the shell route what the shell's own view would, and can
// fail, hang or disconnect at any call.
#pragma once

#include "desktop/DesktopLayout.h"
#include "platform/shellview.h"

#include <vector>

namespace testshell {

enum Method {
    kSource,
    kGetFolder,
    kItemCount,
    kItem,
    kGetDisplayNameOf,
    kGetItemPosition,
    kSelectAndPositionItems,
    kMethodCount,
};

// One shell as the route sees it; it outlives every view it handed out and every worker that may
// still be in one of its calls.
class CTestShell {
  public:
    // A shell whose view is shown in the desktop's DefView as found now.
    static CTestShell* Create();
    // Hands this shell to the layout as its source of views.
    void Attach(CDesktopLayout* layout, DWORD boundMs = 1000);

    // Its calls from first to last (1 = the first call) answer result. A source that answers a
    // success other than S_OK gives no view, as the shell windows object that finds no desktop
    // yet answers S_FALSE.
    void Fail(Method method, int first, int last, HRESULT result);
    // From its call-th call on, method answers result.
    void FailFrom(Method method, int call, HRESULT result) { Fail(method, call, 1 << 30, result); }
    // Its call-th call never returns, until ReturnHungCalls lets every hung call answer.
    void HangAt(Method method, int call);
    void ReturnHungCalls();
    // Each placement lands on the grid point at or below the one asked for (0: off).
    void SetSnapGrid(int grid) { snapGrid = grid; }
    // The view's points from the next count on: the list view's scaled by percent, then moved
    // by (dx, dy); a placement lands where the list view's point is its inverse.
    void SetViewPoints(int dx, int dy, int percent = 100) {
        viewDx = dx;
        viewDy = dy;
        viewPercent = percent;
    }

    int Calls(Method method) const { return calls[method]; }
    int TotalCalls() const;
    // The items of each SelectAndPositionItems call, in call order.
    const std::vector<std::vector<int>>& Placements() const { return placements; }

    HWND window;

    // For the doubles.
    HRESULT Enter(Method method);
    HRESULT CountItems(int* count);
    bool NameOf(int item, std::vector<WCHAR>* name) const;
    bool PositionOf(int item, POINT* position) const;
    HRESULT Place(UINT count, PCUITEMID_CHILD_ARRAY ids, const POINT* points);

  private:
    int calls[kMethodCount] = {};
    int failFrom[kMethodCount] = {};
    int failUntil[kMethodCount] = {};
    HRESULT failWith[kMethodCount] = {};
    int hangAt[kMethodCount] = {};
    int snapGrid = 0;
    int viewDx = 0;
    int viewDy = 0;
    int viewPercent = 100;
    std::vector<std::vector<int>> placements;
    // The icons as the last count found them.
    std::vector<std::vector<WCHAR>> names;
    std::vector<POINT> positions;
    HANDLE never = nullptr;

    CTestShell();
    static HRESULT Source(void* context, IFolderView** view, HWND* window);
};

// The index an item id of the doubles carries; -1 for another id.
int ItemOfId(PCUITEMID_CHILD id);

} // namespace testshell

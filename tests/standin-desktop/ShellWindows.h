// The windows a shell shows on the desktop: "Program Manager" (class "Progman"), its
// "SHELLDLL_DefView" child and, inside that, a SysListView32 in icon view that holds the icons,
// plus the top-level "WorkerW" windows that newer shells move the DefView under.
#pragma once

#include "IconImageList.h"
#include "ListViewMonitor.h"
#include "StandinProtocol.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class CShellWindows {
  public:
    // lpCreateParams of the Progman window: control requests arriving there go to this handler.
    typedef LRESULT (*ControlHandler)(void* context, HWND from, const COPYDATASTRUCT* request);

    struct Binding {
        ControlHandler handler;
        void* context;
    };

    CShellWindows() = default;
    ~CShellWindows();
    CShellWindows(const CShellWindows&) = delete;
    CShellWindows& operator=(const CShellWindows&) = delete;

    bool Create(HINSTANCE hInstance, ControlHandler handler, void* context);
    HWND Progman() const { return hProgman; }
    CListViewMonitor& Monitor() { return monitor; }

    // The icons as the list view holds them now, in item order.
    std::vector<standin::Icon> Icons();
    bool ReplaceIcons(const std::vector<standin::Icon>& icons);
    bool MoveIcon(int item, int x, int y);
    void RemoveListView();
    void MoveDefViewToWorkerW();

  private:
    HINSTANCE hInstance = nullptr;
    HWND hProgman = nullptr;
    HWND hDefView = nullptr;
    Binding binding = {nullptr, nullptr};
    std::vector<HWND> workers;
    CIconImageList images;
    CListViewMonitor monitor;

    bool CreateListView();
    bool AddIcon(int item, const standin::Icon& icon);
    void SettleListView();
    std::string ItemText(int item);
};

// The contract tests' desktop on the host: the simulated shell.
#include "contract/TestDesktop.h"

#include "platform/host/HostTesting.h"

namespace testdesktop {

namespace {

std::vector<hostsim::Icon> Simulated(const std::vector<Icon>& icons) {
    std::vector<hostsim::Icon> simulated;
    for (const Icon& icon : icons) {
        simulated.push_back({icon.name, icon.x, icon.y});
    }
    return simulated;
}

const POINT kListViewOrigin = {4, 23};
const RECT kScreen = {0, 0, 1280, 1024};
const int kIconCell = 75;

} // namespace

bool Start(const std::vector<Icon>& icons) {
    hostsim::ResetDesktop(Simulated(icons));
    hostsim::SetMonitors({{kScreen, kScreen}}, kListViewOrigin);
    hostsim::SetIconCell(kIconCell, kIconCell);
    return true;
}

Area WorkArea() {
    return Area{kScreen.left - kListViewOrigin.x, kScreen.top - kListViewOrigin.y,
                kScreen.right - kListViewOrigin.x, kScreen.bottom - kListViewOrigin.y};
}

void IconCell(int* cx, int* cy) {
    *cx = kIconCell;
    *cy = kIconCell;
}

void Stop() {
    hostsim::RemoveShell();
}

std::vector<Icon> Icons() {
    std::vector<Icon> icons;
    for (const hostsim::Icon& icon : hostsim::Icons()) {
        icons.push_back({icon.name, icon.x, icon.y});
    }
    return icons;
}

void MoveIcon(int item, int x, int y) {
    hostsim::MoveIcon(item, x, y);
}

void SetSnapGrid(int grid) {
    hostsim::SetSnapGrid(grid);
}

void SetAutoArrange(bool on) {
    hostsim::SetAutoArrange(on);
}

void SetShiftOnMove(int dx) {
    hostsim::SetShiftOnMove(dx);
}

void RemoveListView() {
    hostsim::RemoveListView();
}

void RestartShell() {
    hostsim::RestartShell();
}

void RestartShellWith(const std::vector<Icon>& icons) {
    hostsim::RestartShellWith(Simulated(icons));
}

void MoveDefViewToWorkerW() {
    hostsim::MoveDefViewToWorkerW();
}

void HangShell() {
    hostsim::SetShellHung(true);
}

std::vector<Request> TakeRequestLog() {
    std::vector<Request> requests;
    for (const hostsim::ListViewRequest& logged : hostsim::RequestLog()) {
        requests.push_back({logged.msg, logged.wParam, static_cast<int64_t>(logged.lParam),
                            logged.hasRecord, logged.mask, logged.iItem, logged.iSubItem,
                            logged.pszText, logged.cchTextMax});
    }
    hostsim::ClearRequestLog();
    return requests;
}

unsigned long ShellProcessId() {
    return hostsim::ShellListView() ? hostsim::ShellProcessId() : 0;
}

} // namespace testdesktop

// The desktop a contract test runs against: on the host, the simulated shell of platform/host;
// under Wine, the stand-in desktop program with its real SysListView32 in another process.
// The scenarios in DesktopContractTest.cpp are written once against this interface.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace testdesktop {

struct Icon {
    // UTF-8, as the program holds names.
    std::string name;
    int x;
    int y;
};

// Found by argument-dependent lookup from inside GoogleTest's comparisons.
inline bool operator==(const Icon& a, const Icon& b) {
    return a.name == b.name && a.x == b.x && a.y == b.y;
}

inline std::ostream& operator<<(std::ostream& out, const Icon& icon) {
    return out << "{" << icon.name << ", " << icon.x << ", " << icon.y << "}";
}

// The layout text a capture writes for these icons, when no name needs escaping.
inline std::string LayoutText(const std::vector<Icon>& icons) {
    std::string text;
    for (const Icon& icon : icons) {
        char coordinates[32];
        snprintf(coordinates, sizeof coordinates, ";%d;%d;", icon.x, icon.y);
        text += icon.name + coordinates;
    }
    return text;
}

// One list-view request as the shell's list view received it. For LVM_GETITEMTEXTW and
// LVM_GETITEMTEXTA, the record as the list view found it in the caller's block (hasRecord), in the
// shell process's own layout.
struct Request {
    unsigned msg;
    uint64_t wParam;
    int64_t lParam;
    bool hasRecord;
    uint32_t mask;
    int32_t iItem;
    int32_t iSubItem;
    uint64_t pszText;
    int32_t cchTextMax;
};

// A fresh shell whose list view holds these icons, in this item order, at these positions.
// False when the shell could not be started.
bool Start(const std::vector<Icon>& icons);
// No shell at all: no "Program Manager" window.
void Stop();
// The current icons in item order, read inside the shell process.
std::vector<Icon> Icons();
void MoveIcon(int item, int x, int y);
// From now on every move lands on the grid point at or below the requested one (0: off).
void SetSnapGrid(int grid);
// From now on every move also pushes the item before it dx to the right, as a list view that
// makes room for it (0: off).
void SetShiftOnMove(int dx);
// The list view's "Auto arrange icons" (LVS_AUTOARRANGE).
void SetAutoArrange(bool on);

// The primary monitor's work area in the list view's points, and the room the list view gives one
// icon (LVM_GETITEMSPACING). The host plays the stand-in desktop: a window at the screen's corner,
// whose list view starts below its caption, on a screen of 1280 by 1024.
struct Area {
    int left;
    int top;
    int right;
    int bottom;
};
Area WorkArea();
void IconCell(int* cx, int* cy);
void RemoveListView();
// The shell ends and a new process takes its place with the same icons.
void RestartShell();
// The same, the new process holding these icons in this item order: a shell lists its items in
// another order after a restart.
void RestartShellWith(const std::vector<Icon>& icons);
// The DefView moves from "Program Manager" under a top-level "WorkerW" window.
void MoveDefViewToWorkerW();
// The shell's thread stops answering sent messages for a while (longer than our request bound),
// then answers again.
void HangShell();
// The requests received since the last call, oldest first.
std::vector<Request> TakeRequestLog();
// The id of the process that owns the list view now, 0 when there is none.
unsigned long ShellProcessId();

} // namespace testdesktop

// Reads an open popup menu of another process. Wine keeps menus inside their own process, and the
// tray menu's items are drawn by their owner, so the names exist only as pixels on the screen: the
// reader renders each name it may expect with the menu font and finds it in a capture of the popup.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct MenuRow {
    std::string text;
    // Drawn in the grey of disabled items.
    bool grey;
    // Top of the text inside the popup.
    int top;
};

// The visible popup menus ("#32768") of the process, topmost first.
std::vector<HWND> OpenPopups(DWORD processId);
// Waits (bounded) until the process shows exactly count popups; false otherwise.
bool WaitForPopups(DWORD processId, size_t count, std::vector<HWND>* popups);
// Posts one key press to the menu loop of the popup's thread.
void PressKey(HWND popup, WPARAM key);
// Presses Escape until no popup of the process is left open (bounded).
bool CloseMenus(DWORD processId);

// The names among candidates (UTF-8) that the popup shows, top to bottom, each at most once per
// row; a name that is the beginning of another one counts only where the longer one is not drawn.
std::vector<MenuRow> ReadMenuRows(HWND popup, const std::vector<std::string>& candidates);

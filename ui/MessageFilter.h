// Which messages from processes of a lower integrity level reach a window of this one. An
// elevated copy hears nothing from the taskbar, which runs at the user's level, unless it lets
// that message in.
#pragma once

#include "platform/win32.h"

// Lets the message reach the window from lower integrity levels too. ChangeWindowMessageFilterEx
// is looked up at run time: a system without it (before Windows 7) has no such filter for the
// window to open, or none that this program can change, and then nothing is done.
void AllowFromLowerIntegrity(HWND window, UINT message);

// The text the tray icon shows when the pointer rests on it.
#pragma once

#include "platform/win32.h"

enum {
    // The tip's room in the notification record, terminator included.
    kTrayTipChars = 128,
};

// "Quill Marsh", and once a snapshot exists a second line: "Last saved HH:MM" when it was taken
// on today's date, else "Last saved YYYY-MM-DD". Both times are local. saved: null for none.
void FormatTrayTip(const SYSTEMTIME* saved, const SYSTEMTIME& now, char (&tip)[kTrayTipChars]);

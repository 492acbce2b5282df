#include "ui/TrayTip.h"

#include <cstdio>

void FormatTrayTip(const SYSTEMTIME* saved, const SYSTEMTIME& now, char (&tip)[kTrayTipChars]) {
    if (!saved) {
        snprintf(tip, sizeof tip, "Quill Marsh");
    } else if (saved->wYear == now.wYear && saved->wMonth == now.wMonth &&
               saved->wDay == now.wDay) {
        snprintf(tip, sizeof tip, "Quill Marsh\nLast saved %02u:%02u", saved->wHour,
                 saved->wMinute);
    } else {
        snprintf(tip, sizeof tip, "Quill Marsh\nLast saved %04u-%02u-%02u", saved->wYear,
                 saved->wMonth, saved->wDay);
    }
}

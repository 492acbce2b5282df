// The display configuration key, its short form for people, and the watch over its changes.
#include "desktop/DisplayConfiguration.h"

#include "base/BoundedText.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool PositionLess(const DisplayMonitor& a, const DisplayMonitor& b) {
    if (a.left != b.left) {
        return a.left < b.left;
    }
    if (a.top != b.top) {
        return a.top < b.top;
    }
    if (a.right != b.right) {
        return a.right < b.right;
    }
    if (a.bottom != b.bottom) {
        return a.bottom < b.bottom;
    }
    return a.dpi < b.dpi;
}

// Few monitors: an insertion sort on a copy keeps the caller's list as it is.
int SortedByPosition(const DisplayMonitor* monitors, int count,
                     DisplayMonitor (&sorted)[kMaxDisplayMonitors]) {
    int kept = 0;
    for (int i = 0; i < count && kept < kMaxDisplayMonitors; i++) {
        int at = kept++;
        while (at > 0 && PositionLess(monitors[i], sorted[at - 1])) {
            sorted[at] = sorted[at - 1];
            at--;
        }
        sorted[at] = monitors[i];
    }
    return kept;
}

// Appends a rectangle, with its DPI when dpi is given; the key's capacity holds the longest key.
void AppendRect(char (&key)[kDisplayKeyChars], size_t* used, const DisplayMonitor& r,
                const char* separator, const int* dpi) {
    char piece[64];
    int length = dpi ? snprintf(piece, sizeof piece, "%s%d,%d,%d,%d@%d", separator, r.left, r.top,
                                r.right, r.bottom, *dpi)
                     : snprintf(piece, sizeof piece, "%s%d,%d,%d,%d", separator, r.left, r.top,
                                r.right, r.bottom);
    if (length <= 0 || *used + static_cast<size_t>(length) >= sizeof key) {
        return;
    }
    memcpy(key + *used, piece, static_cast<size_t>(length) + 1);
    *used += static_cast<size_t>(length);
}

} // namespace

void FormatDisplayKey(const DisplayMonitor* monitors, int count, char (&key)[kDisplayKeyChars]) {
    key[0] = '\0';
    DisplayMonitor sorted[kMaxDisplayMonitors];
    int kept = SortedByPosition(monitors, count, sorted);
    if (kept == 0) {
        return;
    }
    DisplayMonitor screen = sorted[0];
    for (int i = 1; i < kept; i++) {
        if (sorted[i].left < screen.left) {
            screen.left = sorted[i].left;
        }
        if (sorted[i].top < screen.top) {
            screen.top = sorted[i].top;
        }
        if (sorted[i].right > screen.right) {
            screen.right = sorted[i].right;
        }
        if (sorted[i].bottom > screen.bottom) {
            screen.bottom = sorted[i].bottom;
        }
    }
    size_t used = 0;
    AppendRect(key, &used, screen, "", nullptr);
    for (int i = 0; i < kept; i++) {
        AppendRect(key, &used, sorted[i], "|", &sorted[i].dpi);
    }
}

// Only the virtual screen and the number of monitors are read back; a key that does not start
// with four numbers a monitor can have gives no text.
void DescribeDisplayKey(const char* key, char (&text)[kDisplayNameChars]) {
    text[0] = '\0';
    long long bounds[4];
    const char* at = key;
    for (int i = 0; i < 4; i++) {
        char* end = nullptr;
        bounds[i] = strtoll(at, &end, 10);
        if (end == at || (i < 3 && *end != ',') || bounds[i] < INT_MIN || bounds[i] > INT_MAX) {
            return;
        }
        at = end + 1;
    }
    int monitors = 0;
    for (const char* bar = strchr(key, '|'); bar; bar = strchr(bar + 1, '|')) {
        monitors++;
    }
    long long width = bounds[2] - bounds[0];
    long long height = bounds[3] - bounds[1];
    // U+00D7 MULTIPLICATION SIGN in UTF-8, the encoding of every text the program holds.
    if (monitors > 1) {
        snprintf(text, sizeof text, "%d displays, %lld\xC3\x97%lld", monitors, width, height);
    } else {
        snprintf(text, sizeof text, "%lld\xC3\x97%lld", width, height);
    }
}

CDisplayWatch::CDisplayWatch() : pending(false), seen(), moving() {}

void CDisplayWatch::Start(const char* key) {
    CopyBounded(seen, sizeof seen, key);
    moving[0] = '\0';
    pending = false;
}

void CDisplayWatch::Disturbed(const char* key) {
    CopyBounded(moving, sizeof moving, key);
    pending = true;
}

// Displays that cannot be read tell nothing: they neither start nor move a change.
bool CDisplayWatch::Look(const char* key) {
    if (key[0] == '\0') {
        return false;
    }
    const char* against = pending ? moving : seen;
    if (strcmp(key, against) == 0) {
        return false;
    }
    Disturbed(key);
    return true;
}

// Displays that cannot be read end the wait without a change, so a failing read never holds the
// autosave back for good.
CDisplayWatch::Settled CDisplayWatch::Settle(const char* key) {
    if (!pending) {
        return kNothing;
    }
    if (key[0] == '\0') {
        pending = false;
        return kNothing;
    }
    if (strcmp(key, moving) != 0) {
        CopyBounded(moving, sizeof moving, key);
        return kStillMoving;
    }
    pending = false;
    if (strcmp(key, seen) == 0) {
        return kSameAsBefore;
    }
    CopyBounded(seen, sizeof seen, key);
    return kChanged;
}

// The displays as they stand, reduced to what decides where desktop icons can stand: the virtual
// screen and every monitor's rectangle with its DPI, in physical pixels. Device names, refresh
// rates and work areas change without the arrangement changing and are left out.
#pragma once

#include <cstddef>

struct DisplayMonitor {
    int left;
    int top;
    int right;
    int bottom;
    int dpi;
};

enum {
    // Monitors beyond this many are left out of the key, which still tells real set-ups apart.
    kMaxDisplayMonitors = 32,
    // The virtual screen "L,T,R,B" and "|L,T,R,B@DPI" per monitor, every number of 11 characters
    // at most, and the terminator.
    kDisplayKeyChars = 48 + kMaxDisplayMonitors * 60 + 1,
    kDisplayNameChars = 64,
};

// The key of a monitor list, in any order: "L,T,R,B" of the virtual screen (the union of the
// monitors), then "|L,T,R,B@DPI" for each monitor sorted by position (left, then top). The same
// displays give the same key whatever order they are listed in. No monitor gives the empty key,
// which stands for displays that could not be read.
void FormatDisplayKey(const DisplayMonitor* monitors, int count, char (&key)[kDisplayKeyChars]);

// A short form of a key for people: "1920×1080" for one display, "2 displays, 3840×1080" for
// more (the virtual screen). Empty for the empty key or a key this program did not write.
void DescribeDisplayKey(const char* key, char (&text)[kDisplayNameChars]);

// What the tray window hears of the displays, read at every message, poll and capture, until they
// have stood still long enough to be taken as the new configuration.
class CDisplayWatch {
  public:
    enum Settled {
        // Nothing was pending, or the displays could not be read: nothing to do.
        kNothing,
        // They changed again since the last look: wait once more.
        kStillMoving,
        // Steady, and the same as the configuration seen before the change.
        kSameAsBefore,
        // Steady, and a configuration other than the one seen before: Current() holds it.
        kChanged,
    };

    CDisplayWatch();

    // The configuration the program starts under; nothing is pending.
    void Start(const char* key);
    // A message says the displays may be changing: a change is pending from now on, and the
    // steady period starts again.
    void Disturbed(const char* key);
    // A look at the displays outside any message (a poll, a capture): true when this starts a
    // change or sees it move again, so the steady period must start again.
    bool Look(const char* key);
    // The end of a steady period.
    Settled Settle(const char* key);

    bool Pending() const { return pending; }
    // The last configuration taken as settled.
    const char* Current() const { return seen; }

  private:
    bool pending;
    char seen[kDisplayKeyChars];
    char moving[kDisplayKeyChars];
};

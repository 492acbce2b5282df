// The moment a snapshot was taken, in UTC: what decides which of two snapshots is the newer. A
// name holds local time, which goes back when daylight saving time ends or the clock is set back.
#pragma once

#include "platform/win32.h"

// Seconds since 0001-01-01 00:00:00 UTC. kEarliestMoment belongs to snapshots whose name reads as
// no time at all.
typedef long long SnapshotMoment;

enum : SnapshotMoment { kEarliestMoment = 0 };

enum {
    // "YYYY-MM-DDTHH:MM:SSZ" and the terminator.
    kMomentChars = 21,
};

// The moment a time of day in UTC stands for.
SnapshotMoment MomentOf(const SYSTEMTIME& utc);
// The time of day in UTC a moment stands for (no day of the week); year 1 for moments before it.
SYSTEMTIME UtcTimeOf(SnapshotMoment moment);
// Now, by the system clock.
SnapshotMoment CurrentMoment();

// The form the settings file keeps: "YYYY-MM-DDTHH:MM:SSZ".
void FormatMoment(SnapshotMoment moment, char (&text)[kMomentChars]);
// True, with the moment, for text in exactly that form and a real date and time.
bool ParseMoment(const char* text, SnapshotMoment* moment);

// The moment a snapshot's name stands for when it has none of its own: the time its name starts
// with, "YYYY-MM-DD HH:MM:SS", read as local time; kEarliestMoment for any other name.
SnapshotMoment MomentOfName(const char* name);

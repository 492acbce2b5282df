#include "store/SnapshotMoment.h"
#include "ui/TrayTip.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SYSTEMTIME At(int year, int month, int day, int hour, int minute) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    return time;
}

std::string Tip(const SYSTEMTIME* saved, const SYSTEMTIME& now) {
    char tip[kTrayTipChars];
    FormatTrayTip(saved, now, tip);
    return tip;
}

// The time alone only for a snapshot of today's date: the same day of another month or year shows
// its date.
TEST(TrayTip, ShowsTheTimeForTodayAndTheDateOtherwise) {
    const SYSTEMTIME now = At(2026, 12, 8, 9, 5);
    EXPECT_EQ(Tip(nullptr, now), "Quill Marsh");
    const SYSTEMTIME morning = At(2026, 12, 8, 0, 7);
    EXPECT_EQ(Tip(&morning, now), "Quill Marsh\nLast saved 00:07");
    const SYSTEMTIME others[] = {At(2026, 12, 7, 23, 59), At(2026, 11, 8, 9, 5),
                                 At(2025, 12, 8, 9, 5)};
    for (const SYSTEMTIME& other : others) {
        char date[32];
        snprintf(date, sizeof date, "%04u-%02u-%02u", other.wYear, other.wMonth, other.wDay);
        EXPECT_EQ(Tip(&other, now), std::string("Quill Marsh\nLast saved ") + date);
    }
}

// The moment a snapshot keeps comes back as the time of day it was taken, leap days included.
TEST(TrayTip, AMomentComesBackAsItsTimeOfDay) {
    const SYSTEMTIME times[] = {At(2024, 2, 29, 23, 59), At(2026, 12, 8, 0, 0), At(1, 1, 1, 0, 0)};
    for (const SYSTEMTIME& utc : times) {
        const SYSTEMTIME back = UtcTimeOf(MomentOf(utc));
        EXPECT_EQ(MomentOf(back), MomentOf(utc));
        EXPECT_EQ(back.wDay, utc.wDay);
        EXPECT_EQ(back.wHour, utc.wHour);
    }
}

} // namespace

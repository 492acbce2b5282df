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
// its date. The snapshot's moment comes back as the time it was taken, a leap day included.
TEST(TrayTip, ShowsTheTimeForTodayAndTheDateOtherwise) {
    const SYSTEMTIME now = At(2026, 12, 8, 9, 5);
    EXPECT_EQ(Tip(nullptr, now), "Quill Marsh");
    const SYSTEMTIME morning = UtcTimeOf(MomentOf(At(2026, 12, 8, 0, 7)));
    EXPECT_EQ(Tip(&morning, now), "Quill Marsh\nLast saved 00:07");
    const SYSTEMTIME leapDay = UtcTimeOf(MomentOf(At(2024, 2, 29, 23, 59)));
    EXPECT_EQ(Tip(&leapDay, now), "Quill Marsh\nLast saved 2024-02-29");
    const SYSTEMTIME otherMonth = At(2026, 11, 8, 9, 5);
    EXPECT_EQ(Tip(&otherMonth, now), "Quill Marsh\nLast saved 2026-11-08");
    const SYSTEMTIME otherYear = At(2025, 12, 8, 9, 5);
    EXPECT_EQ(Tip(&otherYear, now), "Quill Marsh\nLast saved 2025-12-08");
}

} // namespace

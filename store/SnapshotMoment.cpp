#include "store/SnapshotMoment.h"

#include <cstring>

namespace {

const SnapshotMoment kSecondsPerDay = 86400;

// Days from 0001-01-01 in the proleptic Gregorian calendar.
SnapshotMoment DaysBefore(int year, int month, int day) {
    // Counted from March, so the leap day ends a year.
    int y = month <= 2 ? year - 1 : year;
    int m = month <= 2 ? month + 9 : month - 3;
    SnapshotMoment days = 365LL * y + y / 4 - y / 100 + y / 400;
    return days + (153 * m + 2) / 5 + day - 1 - 306;
}

void DateOf(SnapshotMoment days, int* year, int* month, int* day) {
    days += 306;
    SnapshotMoment era = days / 146097;
    SnapshotMoment dayOfEra = days % 146097;
    SnapshotMoment yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    SnapshotMoment dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int m = static_cast<int>((5 * dayOfYear + 2) / 153);
    *day = static_cast<int>(dayOfYear - (153 * m + 2) / 5 + 1);
    *month = m < 10 ? m + 3 : m - 9;
    *year = static_cast<int>(400 * era + yearOfEra) + (*month <= 2 ? 1 : 0);
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Exactly count decimal digits.
bool ReadDigits(const char* text, int count, int* value) {
    *value = 0;
    for (int i = 0; i < count; i++) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        *value = *value * 10 + (text[i] - '0');
    }
    return true;
}

// "YYYY-MM-DD?HH:MM:SS" with the given separator between date and time, and a real date and time.
bool ReadDateTime(const char* text, char separator, SYSTEMTIME* time) {
    int year, month, day, hour, minute, second;
    if (!ReadDigits(text, 4, &year) || text[4] != '-' || !ReadDigits(text + 5, 2, &month) ||
        text[7] != '-' || !ReadDigits(text + 8, 2, &day) || text[10] != separator ||
        !ReadDigits(text + 11, 2, &hour) || text[13] != ':' || !ReadDigits(text + 14, 2, &minute) ||
        text[16] != ':' || !ReadDigits(text + 17, 2, &second)) {
        return false;
    }
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    *time = SYSTEMTIME{static_cast<WORD>(year),
                       static_cast<WORD>(month),
                       0,
                       static_cast<WORD>(day),
                       static_cast<WORD>(hour),
                       static_cast<WORD>(minute),
                       static_cast<WORD>(second),
                       0};
    return true;
}

} // namespace

SnapshotMoment MomentOf(const SYSTEMTIME& utc) {
    SnapshotMoment days = DaysBefore(utc.wYear, utc.wMonth, utc.wDay);
    return days * kSecondsPerDay + utc.wHour * 3600 + utc.wMinute * 60 + utc.wSecond;
}

SYSTEMTIME UtcTimeOf(SnapshotMoment moment) {
    if (moment < 0) {
        moment = 0;
    }
    int year, month, day;
    DateOf(moment / kSecondsPerDay, &year, &month, &day);
    int seconds = static_cast<int>(moment % kSecondsPerDay);
    return SYSTEMTIME{static_cast<WORD>(year),
                      static_cast<WORD>(month),
                      0,
                      static_cast<WORD>(day),
                      static_cast<WORD>(seconds / 3600),
                      static_cast<WORD>(seconds / 60 % 60),
                      static_cast<WORD>(seconds % 60),
                      0};
}

SnapshotMoment CurrentMoment() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return MomentOf(now);
}

void FormatMoment(SnapshotMoment moment, char (&text)[kMomentChars]) {
    const SYSTEMTIME utc = UtcTimeOf(moment);
    const int fields[] = {utc.wYear % 10000, utc.wMonth,  utc.wDay,
                          utc.wHour,         utc.wMinute, utc.wSecond};
    const int widths[] = {4, 2, 2, 2, 2, 2};
    const char after[] = "--T::Z";
    size_t at = 0;
    for (int i = 0; i < 6; i++) {
        for (int digit = widths[i] - 1, value = fields[i]; digit >= 0; digit--, value /= 10) {
            text[at + static_cast<size_t>(digit)] = static_cast<char>('0' + value % 10);
        }
        at += static_cast<size_t>(widths[i]);
        text[at++] = after[i];
    }
    text[at] = '\0';
}

bool ParseMoment(const char* text, SnapshotMoment* moment) {
    SYSTEMTIME utc;
    if (strlen(text) != kMomentChars - 1 || text[19] != 'Z' || !ReadDateTime(text, 'T', &utc)) {
        return false;
    }
    *moment = MomentOf(utc);
    return true;
}

// The system knows the rules of daylight saving time for that date; a local time it cannot
// convert is taken as UTC rather than as no time.
SnapshotMoment MomentOfName(const char* name) {
    SYSTEMTIME local;
    if (strnlen(name, 19) < 19 || !ReadDateTime(name, ' ', &local)) {
        return kEarliestMoment;
    }
    SYSTEMTIME utc;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) {
        return MomentOf(local);
    }
    return MomentOf(utc);
}

// Time rules shared by the message objects: which SYSTEMTIME values count as a real time,
// conversion between local and UTC through the C library time zone (TZ), the archive time
// encoding and the texts shown for times.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>

class CArchive;

namespace ObrixTime {

// Shown for a send time that is not a real time.
inline QString SendTimePlaceholder() {
    return QStringLiteral("--/--/-- --:--:--");
}
// Shown for a destination's receive or read time that is not a real time.
inline QString DestinationTimePlaceholder() {
    return QStringLiteral("----/--/-- --:--:--");
}

// A time is normal when every field is in range and it does not lie in the days around
// calendar second 0 (31 December 1969 to 2 January 1970): "no time" is stored as that second,
// and its local form must not pass for a time in any zone, east or west of UTC. The year is
// not otherwise checked.
OBRIX_API bool IsNormalTime(const SYSTEMTIME& t);

// The broken-down UTC (local) time of a calendar second, day of week filled in, milliseconds
// 0. A second whose year cannot be held gives the time of calendar second 0.
OBRIX_API SYSTEMTIME UtcFromSeconds(int64_t seconds);
OBRIX_API SYSTEMTIME LocalFromSeconds(int64_t seconds);

// Reads the fields as local time (daylight saving as the time zone says) and gives the UTC
// time, milliseconds 0. A year before 1900 counts as calendar second 0.
OBRIX_API SYSTEMTIME LocalToUtc(const SYSTEMTIME& local);
// Reads the fields as UTC and gives the local time; milliseconds are kept. A year before 1900
// counts as calendar second 0.
OBRIX_API SYSTEMTIME UtcToLocal(const SYSTEMTIME& utc);

// The current UTC time with milliseconds.
OBRIX_API SYSTEMTIME CurrentUtc();

// Archive encoding of a time: calendar seconds of the fields read as local time, 0 for a year
// before 1900; no value when a field is out of range or the time cannot be represented.
OBRIX_API std::optional<int64_t> ArchiveSeconds(const SYSTEMTIME& t);
// Writes the encoding; a time that cannot be encoded raises CArchiveException(badValue).
OBRIX_API void WriteTime(CArchive& ar, const SYSTEMTIME& t);
// Reads an encoded time as local broken-down time; a value beyond any representable year
// raises CArchiveException(badValue).
OBRIX_API SYSTEMTIME ReadTime(CArchive& ar);

// Dates and times as the user interface writes them, in Japanese whatever the process locale:
// "2026/12/07" and "2026/12/07 14:19" (24-hour clock, seconds on request). Every date and
// time that a window shows goes through these.
OBRIX_API QString DateText(const QDate& date);
OBRIX_API QString DateTimeText(const QDate& date, const QTime& time, bool withSeconds);

// DateTimeText with seconds; empty when the fields name no real date.
OBRIX_API QString TimeText(const SYSTEMTIME& t);
// TimeText for a normal time, else the placeholder.
OBRIX_API QString FormatTime(const SYSTEMTIME& t, const QString& placeholder);

} // namespace ObrixTime

#include "obrix/ObrixTime.h"

#include "obrix/CArchive.h"

#include <QDate>
#include <QTime>
#include <cerrno>
#include <chrono>
#include <ctime>

namespace ObrixTime {

namespace {

std::optional<SYSTEMTIME> FromTm(const std::tm* tm) {
    if (!tm)
        return std::nullopt;
    const long long year = static_cast<long long>(tm->tm_year) + 1900;
    if (year < 0 || year > 0xFFFF)
        return std::nullopt;
    SYSTEMTIME t{};
    t.wYear = uint16_t(year);
    t.wMonth = uint16_t(tm->tm_mon + 1);
    t.wDayOfWeek = uint16_t(tm->tm_wday);
    t.wDay = uint16_t(tm->tm_mday);
    t.wHour = uint16_t(tm->tm_hour);
    t.wMinute = uint16_t(tm->tm_min);
    t.wSecond = uint16_t(tm->tm_sec);
    return t;
}

std::tm ToTm(const SYSTEMTIME& t) {
    std::tm tm{};
    tm.tm_year = int(t.wYear) - 1900;
    tm.tm_mon = int(t.wMonth) - 1;
    tm.tm_mday = t.wDay;
    tm.tm_hour = t.wHour;
    tm.tm_min = t.wMinute;
    tm.tm_sec = t.wSecond;
    tm.tm_isdst = -1; // let the time zone decide whether daylight saving applies
    return tm;
}

std::optional<SYSTEMTIME> TryUtc(int64_t seconds) {
    const std::time_t s = std::time_t(seconds);
    std::tm tm{};
    return FromTm(gmtime_r(&s, &tm));
}

std::optional<SYSTEMTIME> TryLocal(int64_t seconds) {
    const std::time_t s = std::time_t(seconds);
    std::tm tm{};
    return FromTm(localtime_r(&s, &tm));
}

// mktime and timegm return -1 both for a failure and for the second before the epoch; only
// errno tells them apart.
template <typename Convert> std::optional<int64_t> ToSeconds(const SYSTEMTIME& t, Convert convert) {
    std::tm tm = ToTm(t);
    errno = 0;
    const std::time_t s = convert(&tm);
    if (s == std::time_t(-1) && errno != 0)
        return std::nullopt;
    return int64_t(s);
}

bool InRange(unsigned v, unsigned lo, unsigned hi) {
    return v >= lo && v <= hi;
}

} // namespace

bool IsNormalTime(const SYSTEMTIME& t) {
    if (!InRange(t.wMonth, 1, 12) || t.wDayOfWeek > 6 || !InRange(t.wDay, 1, 31) || t.wHour > 23 ||
        t.wMinute > 59 || t.wSecond > 59 || t.wMilliseconds > 999)
        return false;
    if (t.wYear == 1970 && t.wMonth == 1 && t.wDay <= 2)
        return false;
    if (t.wYear == 1969 && t.wMonth == 12 && t.wDay == 31)
        return false;
    return true;
}

SYSTEMTIME UtcFromSeconds(int64_t seconds) {
    if (auto t = TryUtc(seconds))
        return *t;
    return *TryUtc(0);
}

SYSTEMTIME LocalFromSeconds(int64_t seconds) {
    if (auto t = TryLocal(seconds))
        return *t;
    return *TryLocal(0);
}

SYSTEMTIME LocalToUtc(const SYSTEMTIME& local) {
    if (local.wYear < 1900)
        return UtcFromSeconds(0);
    return UtcFromSeconds(ToSeconds(local, ::mktime).value_or(0));
}

SYSTEMTIME UtcToLocal(const SYSTEMTIME& utc) {
    if (utc.wYear < 1900)
        return LocalFromSeconds(0);
    const auto seconds = ToSeconds(utc, ::timegm);
    if (!seconds)
        return LocalFromSeconds(0);
    SYSTEMTIME t = LocalFromSeconds(*seconds);
    t.wMilliseconds = utc.wMilliseconds;
    return t;
}

SYSTEMTIME CurrentUtc() {
    using namespace std::chrono;
    const int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const int64_t seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    SYSTEMTIME t = UtcFromSeconds(seconds);
    t.wMilliseconds = uint16_t(ms - seconds * 1000);
    return t;
}

std::optional<int64_t> ArchiveSeconds(const SYSTEMTIME& t) {
    if (t.wYear < 1900)
        return 0;
    if (!InRange(t.wMonth, 1, 12) || !InRange(t.wDay, 1, 31) || t.wHour > 23 || t.wMinute > 59 ||
        t.wSecond > 59)
        return std::nullopt;
    return ToSeconds(t, ::mktime);
}

void WriteTime(CArchive& ar, const SYSTEMTIME& t) {
    const auto seconds = ArchiveSeconds(t);
    if (!seconds)
        throw CArchiveException(CArchiveException::badValue, "time cannot be stored");
    ar << int64_t(*seconds);
}

SYSTEMTIME ReadTime(CArchive& ar) {
    const auto t = TryLocal(ar.ReadInt64());
    if (!t)
        throw CArchiveException(CArchiveException::badValue, "stored time out of range");
    return *t;
}

QString TimeText(const SYSTEMTIME& t) {
    const QDate date(t.wYear, t.wMonth, t.wDay);
    const QTime time(t.wHour, t.wMinute, t.wSecond);
    if (!date.isValid() || !time.isValid()) // 31 February and the like
        return {};
    return DateTimeText(date, time, true);
}

QString DateText(const QDate& date) {
    return date.toString(u"yyyy/MM/dd");
}

QString DateTimeText(const QDate& date, const QTime& time, bool withSeconds) {
    return DateText(date) + u' ' + time.toString(withSeconds ? u"HH:mm:ss" : u"HH:mm");
}

QString FormatTime(const SYSTEMTIME& t, const QString& placeholder) {
    const QString text = IsNormalTime(t) ? TimeText(t) : QString();
    return text.isEmpty() ? placeholder : text;
}

} // namespace ObrixTime

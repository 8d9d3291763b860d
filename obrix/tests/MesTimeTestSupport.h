// Helpers for the tests of message times: a time zone set for one test, and SYSTEMTIME
// values written and compared as text so that failures show every field.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QString>
#include <cstdlib>
#include <ctime>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
        : m_hadZone(qEnvironmentVariableIsSet("TZ")), m_oldZone(qgetenv("TZ")) {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadZone)
            setenv("TZ", m_oldZone.constData(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_hadZone;
    QByteArray m_oldZone;
};

inline SYSTEMTIME MakeTime(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0,
                           int dow = 0) {
    SYSTEMTIME t{};
    t.wYear = uint16_t(y);
    t.wMonth = uint16_t(mo);
    t.wDayOfWeek = uint16_t(dow);
    t.wDay = uint16_t(d);
    t.wHour = uint16_t(h);
    t.wMinute = uint16_t(mi);
    t.wSecond = uint16_t(s);
    t.wMilliseconds = uint16_t(ms);
    return t;
}

// "YYYY-MM-DD hh:mm:ss.mmm wD"
inline std::string Text(const SYSTEMTIME& t) {
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%03d w%d", t.wYear, t.wMonth, t.wDay,
                             t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek)
        .toStdString();
}

// Date and time to the second, without day of week and milliseconds.
inline std::string Seconds(const SYSTEMTIME& t) {
    return Text(t).substr(0, 19);
}

// Portable stand-ins for the platform types that cross module boundaries. Every module uses
// these; none re-invents them.
#pragma once

#include <QEvent>
#include <cstdint>

class QObject;
class QWidget;

// Exported symbols (everything else is hidden by the build).
#define ZELTA_EXPORT __attribute__((visibility("default")))
#define ZELTA_C_EXPORT extern "C" ZELTA_EXPORT

#ifdef OBRIX_BUILD
#define OBRIX_API ZELTA_EXPORT
#else
#define OBRIX_API
#endif

// Strings at C boundaries are NUL-terminated UTF-16, so fixed buffers keep their byte size.
using WCHAR16 = char16_t;

// Broken-down time, eight 16-bit fields in this order. Stored values are UTC unless an
// operation says otherwise.
struct SYSTEMTIME {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDayOfWeek;
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};
static_assert(sizeof(SYSTEMTIME) == 16);

// A window handle is the widget itself.
using HWND = QWidget*;

// Colour value 0x00BBGGRR, stored as is; turned into a QColor only where it is drawn.
using COLORREF = uint32_t;
constexpr COLORREF ZRGB(uint8_t r, uint8_t g, uint8_t b) {
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr uint8_t ZGetRValue(COLORREF c) {
    return uint8_t(c & 0xFF);
}
constexpr uint8_t ZGetGValue(COLORREF c) {
    return uint8_t((c >> 8) & 0xFF);
}
constexpr uint8_t ZGetBValue(COLORREF c) {
    return uint8_t((c >> 16) & 0xFF);
}

// The record offered to the core modules before normal delivery of every event: the
// receiver and the event, as the host's application event filter sees them.
struct MSG {
    QObject* receiver;
    QEvent* event;
};

// Window messages between modules, kept as custom event types with the same numbers.
namespace ZeltaMsg {
constexpr int TaskTray = 0x9000;         // second instance -> running instance, lParam 0x201
constexpr int LButtonDown = 0x201;       // lParam of TaskTray: "restore the IM window"
constexpr int ActivityInput = 0x9101;    // activity hook -> IM window, on desktop input
constexpr int OptionOK = 0x900B;         // option sheet -> page: OK
constexpr int OptionDefault = 0x900C;    // option sheet -> page: Default
constexpr int OptionKillActive = 0x900D; // option sheet -> page: the page is being left
constexpr int StoreProgress = 0x8064;    // message box loader -> frame window: progress
constexpr int StoreLoaded = 0x8065;      // message box loader -> frame window: done
} // namespace ZeltaMsg

// A window message as a Qt event: the number is the event type, wParam and lParam travel
// with it, and a handler that answers sets result (read back by the sender of sendEvent).
class CWndMessageEvent : public QEvent {
public:
    explicit CWndMessageEvent(int message, intptr_t wParam = 0, intptr_t lParam = 0)
        : QEvent(QEvent::Type(message)), m_wParam(wParam), m_lParam(lParam) {}

    int message() const { return int(type()); }
    intptr_t wParam() const { return m_wParam; }
    intptr_t lParam() const { return m_lParam; }
    intptr_t result() const { return m_result; }
    void setResult(intptr_t r) { m_result = r; }

private:
    intptr_t m_wParam;
    intptr_t m_lParam;
    intptr_t m_result = 0;
};

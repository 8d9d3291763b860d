// The load's progress as the frame window receives it: 0x8064 while loading (wParam steps
// of lParam done) and 0x8065 when the load is done.
#pragma once

#include <QEvent>
#include <cstdint>

class CTrovaneProgressEvent : public QEvent {
public:
    static constexpr QEvent::Type kProgress = QEvent::Type(0x8064);
    static constexpr QEvent::Type kDone = QEvent::Type(0x8065);

    CTrovaneProgressEvent(QEvent::Type type, uint32_t wParam, uint32_t lParam)
        : QEvent(type), m_wParam(wParam), m_lParam(lParam) {}

    uint32_t WParam() const { return m_wParam; }
    uint32_t LParam() const { return m_lParam; }

private:
    uint32_t m_wParam;
    uint32_t m_lParam;
};

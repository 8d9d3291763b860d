#include "plugin/im/avalinh/CActivityNotifier.h"

#include "obrix/ZeltaPlatform.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

CActivityNotifier::CActivityNotifier() = default;

CActivityNotifier::~CActivityNotifier() {
    disarm();
}

void CActivityNotifier::setWindow(QWidget* window) {
    m_window = window;
    m_hasWindow.store(window != nullptr, std::memory_order_relaxed);
}

bool CActivityNotifier::arm() {
    if (m_wake)
        return true;
    m_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_fd < 0)
        return false;
    m_wake = std::make_unique<QSocketNotifier>(qintptr(m_fd), QSocketNotifier::Read);
    QObject::connect(m_wake.get(), &QSocketNotifier::activated, m_wake.get(),
                     [this] { deliver(); });
    return true;
}

void CActivityNotifier::disarm() {
    m_wake.reset();
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

void CActivityNotifier::notify() noexcept {
    // A full counter (never reached in practice) still leaves the descriptor readable, so a
    // failed write loses nothing.
    const uint64_t one = 1;
    ssize_t written;
    do {
        written = write(m_fd, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
}

void CActivityNotifier::deliver() {
    uint64_t count = 0;
    while (read(m_fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
    if (!m_window) {
        m_hasWindow.store(false, std::memory_order_relaxed);
        return;
    }
    // A plain QEvent: its code lives in Qt, so a notification still queued when the hook is
    // unloaded stays harmless.
    QCoreApplication::postEvent(m_window.data(), new QEvent(QEvent::Type(ZeltaMsg::ActivityInput)));
}

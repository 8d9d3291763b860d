// Carries activity from the input reader thread to the window to notify.
//
// The reader thread only writes an eventfd: no allocation, no lock that the UI thread could
// wait on. The UI thread wakes on it and posts the activity event to the window, checking
// there, on the window's own thread, that the window still exists; so a destroyed window is
// never posted to. Input that arrives before the UI thread wakes is folded into one
// notification, which the window cannot tell apart from several.
#pragma once

#include <QPointer>
#include <atomic>
#include <memory>

class QSocketNotifier;
class QWidget;

class CActivityNotifier {
public:
    CActivityNotifier();
    ~CActivityNotifier();
    CActivityNotifier(const CActivityNotifier&) = delete;
    CActivityNotifier& operator=(const CActivityNotifier&) = delete;

    // UI thread.
    void setWindow(QWidget* window);
    bool arm(); // false when the wake-up channel cannot be set up
    void disarm();

    // Any thread.
    bool hasWindow() const noexcept { return m_hasWindow.load(std::memory_order_relaxed); }
    void notify() noexcept;

private:
    void deliver();

    QPointer<QWidget> m_window;
    std::atomic<bool> m_hasWindow{false};
    // Set up before the reader starts and torn down after it stopped, so the reader sees a
    // stable descriptor.
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_wake;
};

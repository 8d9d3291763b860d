// The notification window: a frameless, topmost tool window in the bottom-right corner of
// the work area that never takes the focus. Each event adds one coloured line; the window
// grows with its lines up to "Line" "Size", fades in and closes itself after "Close" "Time"
// seconds or on a mouse press in its text. Placement and timing are decided by
// CPingelGeometry and CPingelTimeline; this class only applies them.
#pragma once

#include "plugin/im/pingel/CPingelGeometry.h"
#include "plugin/im/pingel/CPingelLineBuilder.h"
#include "plugin/im/pingel/CPingelSettings.h"
#include "plugin/im/pingel/CPingelTimeline.h"

#include <QFrame>
#include <QTimer>

class QTextEdit;

class CPingelWnd : public QFrame {
    Q_OBJECT
public:
    static constexpr int kTextId = 100;

    // Starts the fade-in and, when "Close" "Enable" is on, the close count at clock().
    CPingelWnd(const CPingelSettings& settings, PingelClock clock);
    ~CPingelWnd() override;

    // Appends a line in its kind's style; settings are those read for the event.
    void AppendLine(const CPingelSettings& settings, const PingelLine& line);
    // New settings from the option dialog: border, opacity at once, background, close count.
    void ApplySettings(const CPingelSettings& settings);

    QTextEdit* TextControl() const { return m_text; }
    const CPingelTimeline& Timeline() const { return m_timeline; }
    const PingelLayout& Layout() const { return m_layout; }
    bool IsClosing() const { return m_closing; }

    // The timers' work; a test with its own clock calls them directly.
    void FadeTick();
    void CloseTick();
    // Closes the window at once; the owner forgets it on Closing and deletes it later.
    void Destroy();

signals:
    void Closing(CPingelWnd* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetWrapping(const PingelLayoutRequest& request);
    PingelLayoutRequest Measure();
    void Relayout();
    void ApplyFrame();
    void ApplyBackground();
    void SetOpacity(int opacity);

    QTextEdit* m_text = nullptr;
    QTimer m_closeTimer;
    QTimer m_fadeTimer;
    CPingelTimeline m_timeline;
    CPingelSettings m_settings;
    PingelClock m_clock;
    PingelLayout m_layout;
    bool m_closing = false;
};

// The notification window's two clocks: the fade-in, 5 opacity steps every 10 ms up to the
// target, and the automatic close, checked every 500 ms against the time the window opened
// (or took new settings). Driven by the window's timers or by a test.
#pragma once

#include <QtGlobal>
#include <functional>

// Milliseconds since some fixed point; the window and the line times read it.
using PingelClock = std::function<qint64()>;

class CPingelTimeline {
public:
    static constexpr int kFadeStep = 5;
    static constexpr int kFadePeriodMs = 10;
    static constexpr int kClosePeriodMs = 500;

    // The window opened at now: fading in from 0.
    void Open(qint64 now, int targetOpacity, bool closeEnabled, int closeSeconds);
    // New settings while open: the opacity jumps to the new target and, when the automatic
    // close is on, its count starts again.
    void Apply(qint64 now, int targetOpacity, bool closeEnabled, int closeSeconds);

    // One fade step; the opacity to apply (0 .. 255). The last step lands on the target.
    int FadeStep();
    bool Fading() const { return m_opacity < m_target; }
    int Opacity() const { return m_opacity; }
    int Target() const { return m_target; }

    bool CloseEnabled() const { return m_closeEnabled; }
    // The close time has come.
    bool CloseDue(qint64 now);

private:
    int m_target = 255;
    int m_opacity = 0;
    bool m_closeEnabled = false;
    qint64 m_closeMs = 0;
    qint64 m_start = 0;
};

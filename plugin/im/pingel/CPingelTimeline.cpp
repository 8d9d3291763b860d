#include "plugin/im/pingel/CPingelTimeline.h"

void CPingelTimeline::Open(qint64 now, int targetOpacity, bool closeEnabled, int closeSeconds) {
    m_target = qBound(0, targetOpacity, 255);
    m_opacity = 0;
    m_closeEnabled = closeEnabled;
    m_closeMs = qint64(closeSeconds) * 1000;
    m_start = now;
}

void CPingelTimeline::Apply(qint64 now, int targetOpacity, bool closeEnabled, int closeSeconds) {
    m_target = qBound(0, targetOpacity, 255);
    m_opacity = m_target;
    m_closeEnabled = closeEnabled;
    m_closeMs = qint64(closeSeconds) * 1000;
    if (closeEnabled)
        m_start = now;
}

int CPingelTimeline::FadeStep() {
    if (m_opacity < m_target)
        m_opacity = qMin(m_opacity + kFadeStep, m_target);
    return m_opacity;
}

bool CPingelTimeline::CloseDue(qint64 now) {
    // A clock set back starts the count again rather than putting the close off by as much.
    if (now < m_start)
        m_start = now;
    return m_closeEnabled && now - m_start >= m_closeMs;
}

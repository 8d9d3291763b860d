#include "plugin/im/avalin/CIdleWatch.h"

#include "plugin/im/avalin/AvalinIds.h"

#include <QDeadlineTimer>

CIdleWatch::CIdleWatch()
    : m_tick([] { return uint32_t(QDeadlineTimer::current(Qt::CoarseTimer).deadline()); }) {}

bool CIdleWatch::Start(bool enabled, int minutes, int reservation) {
    Stop();
    m_minutes = minutes;
    m_reservation = reservation;
    if (!enabled || minutes < 1 || minutes > 120)
        return false;
    m_last = Now();
    m_running = true;
    return true;
}

void CIdleWatch::Stop() {
    m_running = false;
    m_last = 0;
}

uint32_t CIdleWatch::Elapsed(uint32_t now, uint32_t last) {
    return now >= last ? now - last : now + (0xFFFFFFFFu - last);
}

bool CIdleWatch::OnTick(bool loggedOn, const QString& ownStatus, uint32_t ownColour) {
    if (!m_running || !loggedOn || m_absent)
        return false;
    if (Elapsed(Now(), m_last) < uint32_t(m_minutes) * m_minute)
        return false;
    bool allowed = true;
    if (m_reservation == FromOnNet)
        allowed = ownStatus.compare(QStringLiteral("OnNet"), Qt::CaseInsensitive) == 0;
    else if (m_reservation == FromGreen)
        allowed = ownColour == AvalinColour::Green;
    // Not allowed now: the check comes round again with the next tick.
    if (!allowed)
        return false;
    m_absent = true;
    return true;
}

bool CIdleWatch::OnActivity(bool loggedOn) {
    if (!loggedOn)
        return false;
    const bool wasAbsent = m_absent;
    m_absent = false;
    m_last = m_running ? Now() : 0;
    return wasAbsent;
}

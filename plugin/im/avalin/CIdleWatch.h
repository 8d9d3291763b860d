// When the user counts as away: the last-activity tick, the minutes of the settings, the
// reservation rule and the absent flag. It only decides; the application sends the statuses.
// The tick counter is the window's own 32-bit millisecond counter, which wraps, and can be
// replaced so that hours of idleness take no time at all.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class CIdleWatch {
public:
    using Tick = std::function<uint32_t()>;
    enum Reservation { Always = 0, FromOnNet = 1, FromGreen = 2 };

    CIdleWatch();

    void SetTick(Tick tick) { m_tick = std::move(tick); }
    // The length of a minute in milliseconds (60000; shorter in tests).
    void SetMinute(uint32_t ms) { m_minute = ms ? ms : 60000; }
    uint32_t Now() const { return m_tick(); }

    // Starts watching with the settings: true when the timer is to run (absent handling on and
    // 1 .. 120 minutes); the last-activity tick is then now, else 0.
    bool Start(bool enabled, int minutes, int reservation);
    void Stop();
    bool IsRunning() const { return m_running; }
    uint32_t LastActivity() const { return m_last; }

    // Milliseconds from last to now across one wrap of the counter.
    static uint32_t Elapsed(uint32_t now, uint32_t last);

    // A timer tick: true when the user goes away now (logged on, not away yet, idle long
    // enough and the own status allows it); the absent flag is then set.
    bool OnTick(bool loggedOn, const QString& ownStatus, uint32_t ownColour);
    // Input on the desktop: true when the user was away and comes back (the caller sends the
    // status again). The idle time starts again.
    bool OnActivity(bool loggedOn);
    bool IsAbsent() const { return m_absent; }

private:
    Tick m_tick;
    uint32_t m_minute = 60000;
    bool m_running = false;
    bool m_absent = false;
    uint32_t m_last = 0;
    int m_minutes = 10;
    int m_reservation = FromOnNet;
};

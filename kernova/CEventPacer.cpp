#include "kernova/CEventPacer.h"

#include <QElapsedTimer>

CEventPacer::CEventPacer(std::chrono::nanoseconds budgetPerTurn)
    : m_budgetNs(budgetPerTurn.count()) {
    // A zero-time timer fires once control is back in the event loop: the end of this turn.
    m_turnEnd.setSingleShot(true);
    m_turnEnd.setInterval(0);
    QObject::connect(&m_turnEnd, &QTimer::timeout, &m_turnEnd, [this] { NextTurn(); });
}

void CEventPacer::Post(Step step) {
    m_queue.push_back(std::move(step));
    if (!m_running)
        RunWithinBudget();
}

void CEventPacer::RunFront() {
    Step step = std::move(m_queue.front());
    m_queue.pop_front();
    QElapsedTimer clock;
    clock.start();
    step();
    const qint64 ns = clock.nsecsElapsed();
    m_spentNs += ns;
    if (!m_turnEnd.isActive())
        m_turnEnd.start();
    if (m_observer)
        m_observer(ns);
}

void CEventPacer::RunWithinBudget() {
    m_running = true;
    while (!m_queue.empty() && m_spentNs < m_budgetNs)
        RunFront();
    m_running = false;
    if (!m_queue.empty() && !m_turnEnd.isActive())
        m_turnEnd.start();
}

void CEventPacer::Flush() {
    const bool wasRunning = std::exchange(m_running, true);
    while (!m_queue.empty())
        RunFront();
    m_running = wasRunning;
}

void CEventPacer::NextTurn() {
    m_spentNs = 0;
    // A step that runs a nested event loop gets here from inside itself; the steps after it
    // go on when it returns.
    if (!m_running && !m_queue.empty())
        RunWithinBudget();
}

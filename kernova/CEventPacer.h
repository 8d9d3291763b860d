// Hands the service's events on in the order they came without holding the event loop for
// long. Each turn of the loop runs queued steps until they have used the turn's budget; the
// rest wait for the next turn. A burst (a whole office logging on in the morning, a service
// restart that brings everybody back) thus reaches the plug-ins over several turns, and the
// windows paint and answer input in between. A lone event runs at once.
#pragma once

#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>

class CEventPacer {
public:
    using Step = std::function<void()>;
    static constexpr std::chrono::milliseconds kDefaultBudget{10};

    explicit CEventPacer(std::chrono::nanoseconds budgetPerTurn = kDefaultBudget);
    CEventPacer(const CEventPacer&) = delete;
    CEventPacer& operator=(const CEventPacer&) = delete;

    // Runs the step now when nothing waits and this turn has time left, else queues it behind
    // the others. A step posted while another runs waits for it.
    void Post(Step step);
    // Runs every queued step now, whatever the budget (before a session ends, so that what
    // came in the session is handed on within it).
    void Flush();
    // Drops the queued steps.
    void Clear() { m_queue.clear(); }
    bool IsIdle() const { return m_queue.empty(); }

    // Called after each step with the time it took (benchmarks and diagnostics).
    void SetStepObserver(std::function<void(qint64 nsecs)> observer) {
        m_observer = std::move(observer);
    }

private:
    void RunWithinBudget();
    void RunFront();
    void NextTurn();

    std::deque<Step> m_queue;
    QTimer m_turnEnd;
    std::function<void(qint64)> m_observer;
    qint64 m_budgetNs;
    qint64 m_spentNs = 0; // by the steps of this turn
    bool m_running = false;
};

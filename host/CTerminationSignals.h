// SIGTERM and SIGINT end the session the way COREAPI_Kill does: the event loop is asked to
// quit and the ordinary shutdown runs. The signal handler only writes to a pipe; the rest
// happens on the user-interface thread.
#pragma once

#include <QObject>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    ~CTerminationSignals() override;

private:
    QSocketNotifier* m_notifier = nullptr;
};

#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an orderly exit of the app, without
// any question, as at logout: windows and the form states are torn down the
// ordinary way, and runs under way go on in their keepers. The handler only
// writes a byte to a socket; the exit itself happens on the GUI thread when
// the event loop reads it. One at a time per process.
class QuitOnSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitOnSignals(QObject *parent = nullptr);
    ~QuitOnSignals() override;

    bool isActive() const { return m_notifier != nullptr; }

private:
    static constexpr int signalNumbers[] = {SIGTERM, SIGINT, SIGHUP};

    int m_readEnd = -1;
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[std::size(signalNumbers)] = {};
};

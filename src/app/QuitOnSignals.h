#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an ordinary quit of the app, so that
// logging out or a plain kill still removes the request folders of runs under
// way. The handler only writes a byte to a socket; the quit itself happens on
// the GUI thread when the event loop reads it. One at a time per process.
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

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures how long the event loop of the thread it lives on goes without
// turning: a precise 1 ms timer notes the longest gap between its ticks,
// which is the longest time the window could not react.
class LagMeter : public QObject
{
    Q_OBJECT

public:
    explicit LagMeter(QObject *parent = nullptr);

    void start();
    void stop();
    // In milliseconds, since start.
    double longestGap() const { return m_longest / 1e6; }

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

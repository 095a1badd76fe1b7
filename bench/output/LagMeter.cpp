#include "LagMeter.h"

#include <algorithm>

LagMeter::LagMeter(QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &LagMeter::tick);
}

void LagMeter::start()
{
    m_longest = 0;
    m_clock.start();
    m_last = 0;
    m_timer.start();
}

void LagMeter::stop()
{
    tick();
    m_timer.stop();
}

void LagMeter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_longest = std::max(m_longest, now - m_last);
    m_last = now;
}

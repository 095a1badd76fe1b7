#include "runner/RunGate.h"

bool RunGate::pass(const std::function<void()> &start)
{
    const QMutexLocker locker(&m_mutex);
    if (m_closed)
        return false;
    start();
    return true;
}

void RunGate::close()
{
    const QMutexLocker locker(&m_mutex);
    m_closed = true;
}

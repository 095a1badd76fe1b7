#pragma once

#include <QMutex>
#include <functional>

// Lets runs start until the app quits. A run makes its request folder and
// hands it to its keeper inside the gate, and quitting closes the gate, so
// a quit never catches a run half-started: every request folder made is in
// a keeper's hands, which removes it once the command has ended. Shared by
// the worker threads of every window.
class RunGate
{
public:
    // Runs start while the gate is open and returns true; once it is
    // closed, it returns false without running start.
    bool pass(const std::function<void()> &start);
    // Waits for a start under way, then refuses every later one.
    void close();

private:
    QMutex m_mutex;
    bool m_closed = false;
};

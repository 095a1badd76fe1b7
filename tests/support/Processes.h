#pragma once

#include <QList>
#include <QString>

// The processes of this machine, as /proc shows them, so that a test can see
// that what it started (scripts, run keepers and their children) has ended.
namespace Processes {

// Live processes whose command line mentions text; a process that has ended
// and waits to be reaped has no command line any more and does not count.
QList<qint64> mentioning(const QString &text);

// Waits, up to timeout, until no live process mentions text; returns those
// still there then (empty when all have ended).
QList<qint64> awaitNoneMentioning(const QString &text, int timeoutMilliseconds = 30000);

// Waits, up to timeout, until no background job (a thread named
// "BackgroundJob") runs in this process any more; returns how many still do.
int awaitBackgroundJobs(int timeoutMilliseconds = 30000);

} // namespace Processes

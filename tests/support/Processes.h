#pragma once

#include <QList>
#include <QString>

// The processes of this machine, as /proc shows them, so that a test can see
// that what it started (scripts, run keepers and their children) has ended.
namespace Processes {

// Live processes whose command line mentions text; a process that has ended
// and waits to be reaped has no command line any more and does not count.
QList<qint64> mentioning(const QString &text);

} // namespace Processes

#include "UnprivilegedElevation.h"

#include "runner/PkexecElevation.h"
#include "runner/ServerContract.h"

QStringList UnprivilegedElevation::command(const QString &node, const QString &script,
                                           const QString &request) const
{
    // The real command line from pkexec's own program on: what pkexec would
    // run as root, run here as whoever runs the test.
    QStringList words = PkexecElevation().command(node, script, request);
    const QString env = QString::fromLatin1(ServerContract::bareEnvironment[0]);
    while (!words.isEmpty() && words.constFirst() != env)
        words.removeFirst();
    return words;
}

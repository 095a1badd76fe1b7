#include "runner/PkexecElevation.h"

#include "runner/ServerContract.h"

#include <utility>

PkexecElevation::PkexecElevation(std::optional<QString> launcher) : m_launcher(std::move(launcher))
{}

QStringList PkexecElevation::command(const QString &node, const QString &script,
                                     const QString &request) const
{
    // The internal text agent would wait for a password on a terminal the
    // app does not have; env -i gives the script the same bare environment
    // on every platform (the launcher runs env the same way).
    if (m_launcher) {
        return {QStringLiteral("/usr/bin/pkexec"), QStringLiteral("--disable-internal-agent"),
                *m_launcher, request};
    }
    QStringList words{QStringLiteral("/usr/bin/pkexec"),
                      QStringLiteral("--disable-internal-agent")};
    for (const char *word : ServerContract::bareEnvironment)
        words.append(QString::fromLatin1(word));
    return words + QStringList{node, script, request};
}

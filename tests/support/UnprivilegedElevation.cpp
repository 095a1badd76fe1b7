#include "UnprivilegedElevation.h"

QStringList UnprivilegedElevation::command(const QString &node, const QString &script,
                                           const QString &request) const
{
    return {QStringLiteral("/usr/bin/env"),
            QStringLiteral("-i"),
            QStringLiteral("PATH=/usr/bin:/bin"),
            QStringLiteral("LANG=en_US.UTF-8"),
            node,
            script,
            request};
}

#include "runner/OsascriptElevation.h"

QString OsascriptElevation::script()
{
    return QStringLiteral(
        "on run argv\n"
        "  return do shell script \"/usr/bin/env -i PATH=/usr/bin:/bin LANG=en_US.UTF-8 \""
        " & quoted form of (item 1 of argv) & \" \" & quoted form of (item 2 of argv)"
        " & \" \" & quoted form of (item 3 of argv) with administrator privileges\n"
        "end run");
}

QStringList OsascriptElevation::command(const QString &node, const QString &script,
                                        const QString &request) const
{
    return {QStringLiteral("/usr/bin/osascript"),
            QStringLiteral("-e"),
            OsascriptElevation::script(),
            node,
            script,
            request};
}

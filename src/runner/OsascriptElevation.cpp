#include "runner/OsascriptElevation.h"

#include "runner/ServerContract.h"

QString OsascriptElevation::script()
{
    // The shell line begins with the bare environment's words, each a plain
    // word that needs no quoting; the three paths follow, quoted.
    QString start;
    for (const char *word : ServerContract::bareEnvironment)
        start += QLatin1StringView(word) + u' ';
    return QStringLiteral(
               "on run argv\n"
               "  return do shell script \"%1\""
               " & quoted form of (item 1 of argv) & \" \" & quoted form of (item 2 of argv)"
               " & \" \" & quoted form of (item 3 of argv) with administrator privileges\n"
               "end run")
        .arg(start);
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

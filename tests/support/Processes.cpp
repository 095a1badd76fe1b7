#include "Processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

QList<qint64> Processes::mentioning(const QString &text)
{
    const QByteArray wanted = text.toUtf8();
    const qint64 self = QCoreApplication::applicationPid();
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || pid == self)
            continue;
        QFile file(QStringLiteral("/proc/") + entry + QStringLiteral("/cmdline"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QByteArray words = file.readAll();
        words.replace('\0', ' ');
        if (words.contains(wanted))
            found.append(pid);
    }
    return found;
}

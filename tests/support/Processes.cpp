#include "Processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

QList<qint64> Processes::mentioning(const QString &text)
{
    // Every command line "mentions" the empty text; asking for it is a
    // mistake that must not pass as "nothing is running".
    if (text.isEmpty())
        qFatal("Processes::mentioning: no text given");
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

QList<qint64> Processes::awaitNoneMentioning(const QString &text, int timeoutMilliseconds)
{
    QList<qint64> left;
    // What is left says whether it worked.
    [[maybe_unused]] const bool ended = QTest::qWaitFor(
        [&] {
            left = mentioning(text);
            return left.isEmpty();
        },
        timeoutMilliseconds);
    return left;
}

int Processes::awaitBackgroundJobs(int timeoutMilliseconds)
{
    const auto running = [] {
        int count = 0;
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile name(tasks.filePath(task + QStringLiteral("/comm")));
            if (name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "BackgroundJob")
                ++count;
        }
        return count;
    };
    int left = 0;
    // What is left says whether it worked.
    [[maybe_unused]] const bool ended = QTest::qWaitFor(
        [&] {
            left = running();
            return left == 0;
        },
        timeoutMilliseconds);
    return left;
}

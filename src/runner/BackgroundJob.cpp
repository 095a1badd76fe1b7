#include "runner/BackgroundJob.h"

void BackgroundJob::startThread(QObject *context, QThread::Priority priority,
                                std::function<void()> work, std::function<void()> handBack)
{
    QThread *thread = QThread::create(std::move(work));
    // The name the system shows for the thread (top -H, a debugger, /proc),
    // so a job still under way can be told from the toolkit's own threads.
    thread->setObjectName(QStringLiteral("BackgroundJob"));
    // finished is emitted on the worker; the connection queues the hand-back
    // to the context's thread and Qt drops it if the context is gone first.
    QObject::connect(thread, &QThread::finished, context, std::move(handBack));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(priority);
}

#include "EventLoops.h"

#include "form/SetupView.h"

#include <QEventLoop>
#include <QTimer>

void EventLoops::runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void EventLoops::performAndWait(SetupView &view)
{
    QEventLoop loop;
    QObject::connect(&view, &SetupView::busyChanged, &loop, [&view, &loop] {
        if (!view.busy())
            loop.quit();
    });
    view.perform();
    loop.exec();
}

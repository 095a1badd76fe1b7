#include "window/WheelGuard.h"

#include <QComboBox>
#include <QEvent>

void WheelGuard::protect(QComboBox *box)
{
    new WheelGuard(box);
}

WheelGuard::WheelGuard(QComboBox *box) : QObject(box)
{
    // The default wheel focus would focus the box before the wheel reaches it.
    box->setFocusPolicy(Qt::StrongFocus);
    box->installEventFilter(this);
}

bool WheelGuard::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    // Unhandled and ignored, the event goes on to the parents, up to the
    // scrolling area that holds the box.
    event->ignore();
    return true;
}

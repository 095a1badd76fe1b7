#pragma once

#include <QMessageBox>
#include <QTest>
#include <QWidget>

// The confirmation alert that the run button opened in window, once it
// shows; null when none does. Header only: widget tests use it, and the
// support library the logic tests link stays free of widgets.
inline QMessageBox *waitForConfirmation(const QWidget &window)
{
    QMessageBox *alert = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        alert = window.findChild<QMessageBox *>(QStringLiteral("confirmation"));
        return alert && alert->isVisible();
    });
    return shown ? alert : nullptr;
}

#include "TypedForm.h"

#include "SyntheticCatalogue.h"
#include "TestServices.h"
#include "catalogue/FieldRow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <cstdio>
#include <cstdlib>

TypedForm::TypedForm(int rowCount)
    : m_view(SyntheticCatalogue::forms(1, rowCount), TestServices::forProgram(m_program.path())),
      m_window(m_view)
{
    m_window.resize(640, 720);
    m_window.show();
    if (!QTest::qWaitForWindowExposed(&m_window))
        return;
    m_window.activateWindow();
    if (!QTest::qWaitForWindowActive(&m_window))
        return;

    const FieldRow row(m_view.task().fields.at(SyntheticCatalogue::middleTextRow(rowCount)));
    m_key = row.key();
    for (QLineEdit *edit : m_window.findChildren<QLineEdit *>()) {
        if (edit->placeholderText() == row.label())
            m_edit = edit;
    }
    if (!m_edit)
        return;
    m_edit->setFocus();
    if (auto *area = m_window.findChild<QScrollArea *>(QStringLiteral("formArea")))
        area->ensureWidgetVisible(m_edit);
    m_edit->installEventFilter(this);
    QTest::qWait(50);
}

TypedForm::~TypedForm() = default;

double TypedForm::typeKeys(int count)
{
    // The line edit types as the focus widget of the active window, as it does for a person.
    if (!m_window.isActiveWindow()) {
        m_window.activateWindow();
        if (!QTest::qWaitForWindowActive(&m_window)) {
            std::fprintf(stderr, "the form window did not become active\n");
            std::abort();
        }
    }
    qint64 total = 0;
    QElapsedTimer clock;
    for (int index = 0; index < count; ++index) {
        const bool erase = index % 2 == 1;
        const Qt::Key key = erase ? Qt::Key_Backspace : Qt::Key_X;
        const QString text = erase ? QString() : QStringLiteral("x");
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        const int paints = m_paints;

        clock.start();
        QApplication::sendEvent(m_edit, &press);
        QApplication::sendEvent(m_edit, &release);
        const bool stored = m_view.values().value(m_key) == m_edit->text();
        // Everything the keystroke posted (the repaint above all) runs here.
        QCoreApplication::processEvents();
        total += clock.nsecsElapsed();

        if (!stored || m_edit->text() != (erase ? QString() : QStringLiteral("x"))) {
            std::fprintf(stderr, "a keystroke did not reach the form state\n");
            std::abort();
        }
        if (m_paints == paints) {
            std::fprintf(stderr, "the window did not repaint the line edit\n");
            std::abort();
        }
    }
    return total / 1e3 / count;
}

bool TypedForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::Paint)
        ++m_paints;
    return QObject::eventFilter(watched, event);
}

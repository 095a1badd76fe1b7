#pragma once

#include "form/SetupView.h"
#include "window/FormWidget.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

class QLineEdit;

// One form window over a synthetic form of a given number of rows, shown,
// with a plain line edit near the middle of the form focused; it types into
// that line edit and times each keystroke from its delivery until the value
// is in the form state and the window has settled.
class TypedForm : public QObject
{
    Q_OBJECT

public:
    explicit TypedForm(int rowCount);
    ~TypedForm() override;

    bool isReady() const { return m_edit != nullptr; }

    // Types count keystrokes, a letter and a backspace in turn, and returns
    // the microseconds each took; aborts when a keystroke misses the form
    // state or the window does not repaint the line edit.
    double typeKeys(int count);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // An empty folder: no server program runs when the window starts discovery.
    QTemporaryDir m_program;
    SetupView m_view;
    FormWidget m_window;
    QLineEdit *m_edit = nullptr;
    QString m_key;
    int m_paints = 0;
};

#pragma once

#include "catalogue/Operation.h"
#include "form/SetupServices.h"

#include <QList>
#include <QMainWindow>

class SetupView;

// One window of the app: the form view over a state of its own, or, when the
// catalogue holds no forms, only the message that asks for a reinstall.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(const QList<Operation> &tasks, const SetupServices &services,
               QWidget *parent = nullptr);

    // The window's form state; null in the message window.
    SetupView *setupView() const { return m_view; }

    // Opens at the size its content asks for, within the screen's free area,
    // unless a size was chosen before.
    void setVisible(bool visible) override;

Q_SIGNALS:
    void newWindowRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSize openingSize();
    void keepOnScreen();
    void buildMenu();
    QWidget *buildMessage();

    SetupView *m_view = nullptr;
};

#include "window/MainWindow.h"

#include "form/SetupView.h"
#include "window/FormWidget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

MainWindow::MainWindow(const QList<Operation> &tasks, const SetupServices &services,
                       QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(tr("Tarnwick Server Setup"));
    buildMenu();
    if (tasks.isEmpty()) {
        setCentralWidget(buildMessage());
        return;
    }
    m_view = new SetupView(tasks, services, this);
    setCentralWidget(new FormWidget(*m_view, this));
}

void MainWindow::setVisible(bool visible)
{
    // Qt would open a window at its content's size hint cut to two thirds
    // of the screen, which leaves a long form with a scroll bar from the start.
    const bool opening = visible && !isVisible() && !testAttribute(Qt::WA_Resized);
    if (opening)
        resize(openingSize());
    QMainWindow::setVisible(visible);
    if (opening && windowHandle())
        windowHandle()->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Once the window is on screen, its frame is known.
    if (watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        keepOnScreen();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keepOnScreen()
{
    const int over = frameGeometry().height() - screen()->availableGeometry().height();
    if (over > 0)
        resize(width(), qMax(minimumHeight(), height() - over));
}

QSize MainWindow::openingSize()
{
    ensurePolished();
    layout()->activate();
    const QRect room = screen()->availableGeometry();
    // The window manager's frame is not known before the window is mapped;
    // a title bar's height stands in for it.
    const int frame = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return sizeHint()
        .boundedTo(QSize(room.width(), room.height() - frame))
        .expandedTo(minimumSize());
}

void MainWindow::buildMenu()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *newWindow = file->addAction(tr("&New Window"), this, &MainWindow::newWindowRequested);
    newWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction *closeWindow = file->addAction(tr("&Close Window"), this, &QWidget::close);
    // Ctrl+W everywhere, where some desktops would make Close Ctrl+F4.
    closeWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"), qApp, &QApplication::closeAllWindows);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
}

QWidget *MainWindow::buildMessage()
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("reinstallMessage"));
    auto *layout = new QVBoxLayout(content);
    auto *message =
        new QLabel(tr("Reinstall Tarnwick Server to restore its setup forms."), content);
    message->setObjectName(QStringLiteral("message"));
    message->setTextFormat(Qt::PlainText);
    layout->addWidget(message);
    return content;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing does not stop a running action, which goes on as administrator
    // to its end; what the window would lose is the output, so ask once.
    if (m_view && m_view->busy()) {
        QMessageBox question(QMessageBox::Warning, windowTitle(),
                             tr("The action keeps running with administrator rights, but its "
                                "output will not be shown. Close anyway?"),
                             QMessageBox::Close | QMessageBox::Cancel, this);
        question.setObjectName(QStringLiteral("closeWhileBusy"));
        question.setTextFormat(Qt::PlainText);
        question.setDefaultButton(QMessageBox::Cancel);
        // Once the run has ended there is nothing left to warn about: the
        // question goes, and the window stays with the output in it.
        connect(m_view, &SetupView::busyChanged, &question, [this, &question] {
            if (!m_view->busy())
                question.done(QMessageBox::Cancel);
        });
        if (question.exec() != QMessageBox::Close) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

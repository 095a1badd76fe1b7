// Not a test by itself: TarnwickSetupTest and PkexecRunTest start it to end a
// whole app while runs and a discovery are under way. Arguments: the
// catalogue, the program folder, how to quit and how to elevate ("plain" for
// the unprivileged command line, "pkexec" for the real one). It prints
// "running" once both runs have their request files; then, for "menu", it
// closes one window and quits through File > Quit, answering every "close
// anyway?" question with Close; for "wait" it waits, as the app does, for a
// signal to quit on or for its display to go.
#include "RequestFolders.h"
#include "TestServices.h"
#include "app/QuitOnSignals.h"
#include "app/TarnwickSetup.h"
#include "form/SetupView.h"
#include "window/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace {

bool bothRunsHaveRequests()
{
    const QStringList folders = RequestFolders::in(QDir::tempPath());
    if (folders.size() != 2)
        return false;
    for (const QString &folder : folders) {
        if (!QFileInfo::exists(QDir::tempPath() + u'/' + folder + QStringLiteral("/request.json")))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 5)
        return 2;
    const bool byMenu = arguments.at(3) == u"menu";
    const bool plain = arguments.at(4) == u"plain";
    const QuitOnSignals quitOnSignals;
    if (!quitOnSignals.isActive())
        return 3;
    SetupServices services = TestServices::forProgram(arguments.at(2));
    if (!plain)
        services.elevation = Elevation::platformDefault();
    TarnwickSetup setup(arguments.at(1), std::move(services));

    QList<MainWindow *> windows;
    for (int index = 0; index < 2; ++index) {
        MainWindow *window = setup.openWindow();
        window->setupView()->perform();
        windows.append(window);
    }

    // Only the menu's way asks; a signal or a lost display must end the app
    // without a question, which nobody here would answer.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &application, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Close)->click();
    });
    if (byMenu)
        answerer.start(20);

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &application, [&] {
        if (!bothRunsHaveRequests())
            return;
        poll.stop();
        std::puts("running");
        std::fflush(stdout);
        if (!byMenu)
            return;
        windows.constFirst()->close();
        QTimer::singleShot(100, &application, [&windows] {
            QAction *quit = windows.constLast()
                                ->menuBar()
                                ->actions()
                                .constFirst()
                                ->menu()
                                ->actions()
                                .constLast();
            quit->trigger();
        });
    });
    poll.start(20);

    return application.exec();
}

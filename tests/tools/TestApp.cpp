// The app as src/app/main.cpp makes it, for tests that run the whole program
// on a real display server: the catalogue and the server program's folder,
// fixed when the app is built, come from its two arguments instead.
#include "app/QuitOnSignals.h"
#include "app/TarnwickSetup.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: tarnwick-test-app CATALOGUE PROGRAM_FOLDER\n", stderr);
        return 2;
    }
    const QuitOnSignals quitOnSignals;
    SetupServices services = TarnwickSetup::installedServices();
    services.program = ServerProgram(arguments.at(2));
    TarnwickSetup setup(arguments.at(1), std::move(services));
    setup.openWindow();
    return application.exec();
}

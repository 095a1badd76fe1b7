#include "app/QuitOnSignals.h"
#include "app/TarnwickSetup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QuitOnSignals quitOnSignals;
    TarnwickSetup setup(TarnwickSetup::shippedCataloguePath(), TarnwickSetup::installedServices());
    setup.openWindow();
    return application.exec();
}

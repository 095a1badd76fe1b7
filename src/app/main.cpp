#include "app/TarnwickSetup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    TarnwickSetup setup;
    setup.openWindow();
    return application.exec();
}

#include "app/TarnwickSetup.h"

#include "catalogue/Catalogue.h"
#include "window/MainWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>

TarnwickSetup::TarnwickSetup(const QString &cataloguePath, QObject *parent)
    : QObject(parent), m_tasks(Catalogue::load(cataloguePath))
{
    // An ordinary desktop application: the desktop file id ties its windows
    // to the launcher entry. The display name equals the window title so
    // window managers do not append it a second time.
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick-setup"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tarnwick.org"));
    QGuiApplication::setApplicationDisplayName(tr("Tarnwick Server Setup"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwick.Setup"));
}

MainWindow *TarnwickSetup::openWindow()
{
    auto *window = new MainWindow(m_tasks);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &MainWindow::newWindowRequested, this, &TarnwickSetup::openWindow);
    window->show();
    return window;
}

QString TarnwickSetup::shippedCataloguePath()
{
    const QString here = QCoreApplication::applicationDirPath();
#ifdef Q_OS_MACOS
    return here + QStringLiteral("/../Resources/actions.json");
#else
    return here + QStringLiteral("/../share/tarnwick-setup/actions.json");
#endif
}

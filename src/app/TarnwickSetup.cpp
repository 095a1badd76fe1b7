#include "app/TarnwickSetup.h"

#include "catalogue/Catalogue.h"
#include "runner/ActionRunner.h"
#include "window/MainWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTimer>
#include <QWindow>
#include <utility>

namespace {

// Says which translation files were found, for a user who sees English where
// another language was expected.
Q_LOGGING_CATEGORY(translationLog, "tarnwick.translation", QtWarningMsg)

} // namespace

TarnwickSetup::TarnwickSetup(const QString &cataloguePath, SetupServices services, QObject *parent)
    : QObject(parent), m_tasks(Catalogue::load(cataloguePath)), m_services(std::move(services))
{
    installTranslators();

    // An ordinary desktop application: the desktop file id ties its windows
    // to the launcher entry. The display name equals the window title so
    // window managers do not append it a second time.
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick-setup"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tarnwick.org"));
    QGuiApplication::setApplicationDisplayName(tr("Tarnwick Server Setup"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwick.Setup"));

    // Runs under way go on after the app is gone: their keepers see their
    // commands through and remove their request folders. Only a run being
    // started at this very moment is waited for, and none starts later.
    if (QCoreApplication *application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this,
                [gate = m_services.gate] { gate->close(); });
    }
}

TarnwickSetup::~TarnwickSetup()
{
    m_services.gate->close();
}

SetupServices TarnwickSetup::installedServices()
{
    return {ServerProgram(ServerProgram::installedDirectory()), Elevation::platformDefault(),
            ActionRunner::installedKeeper(), std::make_shared<RunGate>()};
}

MainWindow *TarnwickSetup::openWindow()
{
    auto *window = new MainWindow(m_tasks, m_services);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &MainWindow::newWindowRequested, this, &TarnwickSetup::openWindow);
    window->show();
    if (QGuiApplication::windowIcon().isNull() && window->windowHandle())
        window->windowHandle()->installEventFilter(this);
    return window;
}

bool TarnwickSetup::eventFilter(QObject *watched, QEvent *event)
{
    // The app's icon is set once the first window is on screen: looking it
    // up in the desktop's icon theme and drawing its SVG take longer than
    // building the whole window, and nothing in the window waits for it.
    auto *window = qobject_cast<QWindow *>(watched);
    if (window && event->type() == QEvent::Expose && window->isExposed()) {
        window->removeEventFilter(this);
        QTimer::singleShot(0, this, [] {
            // The icon the installation puts into the desktop's icon theme,
            // or, in a build that is not installed, the same picture
            // compiled in.
            if (QGuiApplication::windowIcon().isNull()) {
                QGuiApplication::setWindowIcon(
                    QIcon::fromTheme(QStringLiteral("org.tarnwick.Setup"),
                                     QIcon(QStringLiteral(":/icons/org.tarnwick.Setup.svg"))));
            }
        });
    }
    return QObject::eventFilter(watched, event);
}

void TarnwickSetup::installTranslators()
{
    if (!QCoreApplication::instance())
        return;
    // The language is the platform's: the app has no setting of its own.
    const QLocale locale = QLocale::system();
    const auto install = [&locale](QTranslator &translator, const QString &name,
                                   const QString &directory) {
        if (translator.load(locale, name, QStringLiteral("_"), directory)) {
            QCoreApplication::installTranslator(&translator);
            qCInfo(translationLog, "using %s", qUtf8Printable(translator.filePath()));
        } else {
            qCInfo(translationLog, "no %s translation for %s in %s", qUtf8Printable(name),
                   qUtf8Printable(locale.uiLanguages().join(u' ')), qUtf8Printable(directory));
        }
    };
    // Qt's own texts, such as the buttons of message boxes and the file
    // chooser, come with the system's Qt; the app's own are installed with it.
    install(m_qtTranslator, QStringLiteral("qtbase"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    install(m_translator, QStringLiteral("tarnwick-setup"), shippedTranslationsPath());
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

QString TarnwickSetup::shippedTranslationsPath()
{
    const QString here = QCoreApplication::applicationDirPath();
#ifdef Q_OS_MACOS
    return here + QStringLiteral("/../Resources/translations");
#else
    return here + QStringLiteral("/../share/tarnwick-setup/translations");
#endif
}

#include "app/TarnwickSetup.h"

#include "catalogue/Catalogue.h"
#include "form/SetupView.h"
#include "runner/RunningRequests.h"
#include "window/MainWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>

namespace {

// Says which translation files were found, for a user who sees English where
// another language was expected.
Q_LOGGING_CATEGORY(translationLog, "tarnwick.translation", QtWarningMsg)

} // namespace

TarnwickSetup::TarnwickSetup(const QString &cataloguePath, const QString &program, QObject *parent)
    : QObject(parent), m_tasks(Catalogue::load(cataloguePath)), m_program(program),
      m_running(std::make_shared<RunningRequests>())
{
    installTranslators();

    // An ordinary desktop application: the desktop file id ties its windows
    // to the launcher entry. The display name equals the window title so
    // window managers do not append it a second time.
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick-setup"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tarnwick.org"));
    QGuiApplication::setApplicationDisplayName(tr("Tarnwick Server Setup"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwick.Setup"));

    // The runs themselves cannot be called back: they may be waiting for a
    // password or already running as root, and go on after the app is gone.
    if (QCoreApplication *application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this,
                [running = m_running] { running->removeAll(); });
    }
}

TarnwickSetup::~TarnwickSetup()
{
    m_running->removeAll();
}

MainWindow *TarnwickSetup::openWindow()
{
    auto *window = new MainWindow(m_tasks, m_program);
    if (SetupView *view = window->setupView())
        view->setRunningRequests(m_running);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &MainWindow::newWindowRequested, this, &TarnwickSetup::openWindow);
    window->show();
    return window;
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

#include "app/TarnwickSetup.h"

#include "FakeProgram.h"
#include "Processes.h"
#include "RequestFolders.h"
#include "TestServices.h"
#include "form/SetupView.h"
#include "window/MainWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;

class TarnwickSetupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void showsReinstallMessage_data();
    void showsReinstallMessage();
    void showsFirstFormOfValidCatalogue();
    void windowsCarryTheAppIcon();
    void runsOutliveTheApp_data();
    void runsOutliveTheApp();
};

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(TARNWICK_TEST_DATA) + u"/catalogues/"_s + name;
}

} // namespace

void TarnwickSetupTest::cleanup()
{
    // A window over the stand-in program asks it for the addresses when it
    // first shows; that ends before the next test starts.
    QCOMPARE(Processes::awaitBackgroundJobs(), 0);
}

void TarnwickSetupTest::showsReinstallMessage_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("missing") << fixture(u"absent.json"_s);
    QTest::newRow("unreadable") << QStringLiteral(TARNWICK_TEST_DATA);
    QTest::newRow("not JSON") << fixture(u"malformed.json"_s);
    QTest::newRow("top level object") << fixture(u"object.json"_s);
    QTest::newRow("empty array") << fixture(u"empty.json"_s);
}

void TarnwickSetupTest::showsReinstallMessage()
{
    QFETCH(QString, path);
    TarnwickSetup setup(path, TestServices::unused());
    QVERIFY(setup.tasks().isEmpty());

    std::unique_ptr<MainWindow> window(setup.openWindow());
    QCOMPARE(window->windowTitle(), u"Tarnwick Server Setup"_s);
    QCOMPARE(window->setupView(), nullptr);
    QWidget *content = window->centralWidget();
    QCOMPARE(content->objectName(), u"reinstallMessage"_s);
    const QList<QWidget *> children = content->findChildren<QWidget *>();
    QCOMPARE(children.size(), 1);
    auto *message = qobject_cast<QLabel *>(children.constFirst());
    QVERIFY(message);
    QCOMPARE(message->text(), u"Reinstall Tarnwick Server to restore its setup forms."_s);
    QCOMPARE(message->textFormat(), Qt::PlainText);
}

void TarnwickSetupTest::showsFirstFormOfValidCatalogue()
{
    TarnwickSetup setup(fixture(u"valid.json"_s), TestServices::unused());
    QCOMPARE(setup.tasks().size(), 2);

    std::unique_ptr<MainWindow> window(setup.openWindow());
    QCOMPARE(window->windowTitle(), u"Tarnwick Server Setup"_s);
    QVERIFY(window->setupView());
    QCOMPARE(window->setupView()->selected(), u"status"_s);
    auto *picker = window->findChild<QComboBox *>(u"picker"_s);
    QVERIFY(picker);
    QCOMPARE(picker->count(), 2);
    QCOMPARE(picker->currentText(), u"Show status"_s);
    QCOMPARE(picker->currentData().toString(), u"status"_s);
    QCOMPARE(QGuiApplication::desktopFileName(), u"org.tarnwick.Setup"_s);
}

void TarnwickSetupTest::windowsCarryTheAppIcon()
{
    TarnwickSetup setup(fixture(u"absent.json"_s), TestServices::unused());
    QCOMPARE(QGuiApplication::desktopFileName(), u"org.tarnwick.Setup"_s);
    std::unique_ptr<MainWindow> window(setup.openWindow());
    // It follows once the window is on screen.
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_VERIFY(!window->windowIcon().isNull());
    const QImage shown = window->windowIcon().pixmap(48, 48).toImage();
    QVERIFY2(!shown.isNull(), "the window icon draws nothing (is Qt's SVG plugin installed?)");
    // The picture of the app's own SVG: its blue tile in the middle.
    QImage drawn = QIcon(u":/icons/org.tarnwick.Setup.svg"_s).pixmap(48, 48).toImage();
    QVERIFY(!drawn.isNull());
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
             drawn.convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(shown.pixelColor(24, 6), QColor(0x2f, 0x6b, 0xb3));
}

void TarnwickSetupTest::runsOutliveTheApp_data()
{
    QTest::addColumn<QString>("end");

    // Closes one window and quits the other, answering "Close" to the
    // question each time.
    QTest::newRow("Close Window, then File > Quit") << u"menu"_s;
    QTest::newRow("SIGTERM, as at logout") << u"SIGTERM"_s;
    QTest::newRow("SIGINT") << u"SIGINT"_s;
    QTest::newRow("SIGHUP") << u"SIGHUP"_s;
    QTest::newRow("the X server goes away") << u"display"_s;
}

void TarnwickSetupTest::runsOutliveTheApp()
{
    QFETCH(QString, end);
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    FakeProgram program;
    program.holdManageScript("finished\\n");
    // Discovery waits too, so it is still under way when the app ends.
    program.holdServerScript("[]");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TMPDIR"_s, temporary.path());
    QProcess display;
    // Xvfb keeps its socket in /tmp whatever TMPDIR says; it removes it
    // itself when it is ended the ordinary way.
    QString displaySocket;
    if (end == u"display") {
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed");
        // Xvfb picks a free display number itself and writes it out.
        display.start(xvfb, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s});
        QVERIFY(display.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(display.canReadLine(), 30000);
        const QString number = QString::fromLatin1(display.readLine()).trimmed();
        QVERIFY(!number.isEmpty());
        environment.insert(u"DISPLAY"_s, u':' + number);
        displaySocket = u"/tmp/.X11-unix/X"_s + number;
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        // libxkbcommon-x11 hands strndup a length past the end of the atom
        // names it copies, which AddressSanitizer's strict string checks
        // report; the copy itself stops at the terminator. And Qt ends the
        // process with exit() from the middle of its event handling when
        // the X connection breaks, so what the app holds is never freed.
        QString sanitizer = environment.value(u"ASAN_OPTIONS"_s);
        sanitizer.replace(u"strict_string_checks=1"_s, u"strict_string_checks=0"_s);
        sanitizer.replace(u"detect_leaks=1"_s, u"detect_leaks=0"_s);
        if (!sanitizer.isEmpty())
            environment.insert(u"ASAN_OPTIONS"_s, sanitizer);
    }

    QProcess app;
    app.setProcessEnvironment(environment);
    app.start(QStringLiteral(TARNWICK_QUIT_PROBE),
              {fixture(u"valid.json"_s), program.directory(),
               end == u"menu" ? u"menu"_s : u"wait"_s, u"plain"_s});
    QTRY_VERIFY_WITH_TIMEOUT(app.canReadLine() || app.state() == QProcess::NotRunning, 30000);
    QVERIFY2(app.readLine() == "running\n", app.readAllStandardError().constData());
    if (end == u"display")
        display.terminate();
    else if (end != u"menu")
        QCOMPARE(::kill(pid_t(app.processId()), end == u"SIGTERM"  ? SIGTERM
                                                : end == u"SIGINT" ? SIGINT
                                                                   : SIGHUP),
                 0);
    QVERIFY2(app.waitForFinished(60000), "the app did not end");
    const QByteArray errors = app.readAllStandardError();
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    // Qt itself exits with 1 when its X connection breaks.
    QVERIFY2(app.exitCode() == (end == u"display" ? 1 : 0), errors.constData());
    QVERIFY2(!errors.contains("Sanitizer") && !errors.contains("runtime error"),
             errors.constData());
    display.waitForFinished();
    if (!displaySocket.isEmpty())
        QVERIFY2(!QFileInfo::exists(displaySocket), qPrintable(displaySocket));

    // The app is gone; both actions still wait, their requests in place. The
    // discovery started on the window's first showing; it may still be on its
    // way to the script under load.
    QTRY_VERIFY(!program.recordedArguments(u"tarnwick.mjs"_s).isEmpty());
    const QStringList folders = RequestFolders::in(temporary.path());
    QCOMPARE(folders.size(), 2);
    for (const QString &folder : folders)
        QVERIFY(QFileInfo::exists(temporary.filePath(folder + u"/request.json"_s)));
    QVERIFY(program.heldEffects().isEmpty());

    // Released, each runs to its end with its request, undisturbed; then
    // its folder goes, and nothing of the runs is left running.
    QVERIFY(program.release());
    QTRY_COMPARE(program.heldEffects().size(), 2);
    for (const QByteArray &effect : program.heldEffects())
        QVERIFY2(effect.contains(R"("action":"status")"), effect.constData());
    QVERIFY(!program.heldWasTerminated());
    QTRY_COMPARE(RequestFolders::in(temporary.path()), QStringList{});
    QCOMPARE(Processes::awaitNoneMentioning(program.directory()), QList<qint64>{});
    QCOMPARE(Processes::awaitNoneMentioning(temporary.path()), QList<qint64>{});
}

QTEST_MAIN(TarnwickSetupTest)
#include "TarnwickSetupTest.moc"

#include "app/TarnwickSetup.h"

#include "FakeProgram.h"
#include "RequestFolders.h"
#include "form/SetupView.h"
#include "window/MainWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;

class TarnwickSetupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsReinstallMessage_data();
    void showsReinstallMessage();
    void showsFirstFormOfValidCatalogue();
    void windowsCarryTheAppIcon();
    void quittingRemovesFoldersOfRunsUnderWay_data();
    void quittingRemovesFoldersOfRunsUnderWay();
};

namespace {

QString fixture(const QString &name)
{
    return qEnvironmentVariable("TARNWICK_TEST_DATA") + u"/catalogues/"_s + name;
}

} // namespace

void TarnwickSetupTest::showsReinstallMessage_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("missing") << fixture(u"absent.json"_s);
    QTest::newRow("unreadable") << qEnvironmentVariable("TARNWICK_TEST_DATA");
    QTest::newRow("not JSON") << fixture(u"malformed.json"_s);
    QTest::newRow("top level object") << fixture(u"object.json"_s);
    QTest::newRow("empty array") << fixture(u"empty.json"_s);
}

void TarnwickSetupTest::showsReinstallMessage()
{
    QFETCH(QString, path);
    TarnwickSetup setup(path);
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
    TarnwickSetup setup(fixture(u"valid.json"_s));
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
    TarnwickSetup setup(fixture(u"absent.json"_s));
    QCOMPARE(QGuiApplication::desktopFileName(), u"org.tarnwick.Setup"_s);
    std::unique_ptr<MainWindow> window(setup.openWindow());
    const QImage shown = window->windowIcon().pixmap(48, 48).toImage();
    QVERIFY2(!shown.isNull(), "the window icon draws nothing (is Qt's SVG plugin installed?)");
    // The picture of the app's own SVG: its blue tile in the middle.
    QImage drawn = QIcon(u":/icons/org.tarnwick.Setup.svg"_s).pixmap(48, 48).toImage();
    QVERIFY(!drawn.isNull());
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
             drawn.convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(shown.pixelColor(24, 6), QColor(0x2f, 0x6b, 0xb3));
}

void TarnwickSetupTest::quittingRemovesFoldersOfRunsUnderWay_data()
{
    QTest::addColumn<int>("signalNumber");

    QTest::newRow("File > Quit") << 0;
    QTest::newRow("SIGTERM, as at logout") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TarnwickSetupTest::quittingRemovesFoldersOfRunsUnderWay()
{
    QFETCH(int, signalNumber);
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    FakeProgram program;
    program.holdManageScript("finished\\n");
    // Discovery waits too, so it is still under way when the app quits.
    program.setServerScript(
        "here=$(dirname \"$0\"); while [ -d \"$here\" ] && [ ! -e \"$here/release\" ]; do "
        "sleep 0.05; done; printf '[]'");

    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TMPDIR"_s, temporary.path());
    app.setProcessEnvironment(environment);
    app.start(
        qEnvironmentVariable("TARNWICK_QUIT_PROBE"),
        {fixture(u"valid.json"_s), program.directory(), signalNumber ? u"signal"_s : u"menu"_s});
    if (signalNumber) {
        QTRY_VERIFY_WITH_TIMEOUT(app.canReadLine() || app.state() == QProcess::NotRunning, 30000);
        QCOMPARE(app.state(), QProcess::Running);
        QCOMPARE(RequestFolders::in(temporary.path()).size(), 2);
        QCOMPARE(::kill(pid_t(app.processId()), signalNumber), 0);
    }
    QVERIFY2(app.waitForFinished(60000), "the app did not quit");
    const QByteArray errors = app.readAllStandardError();
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QVERIFY2(app.exitCode() == 0, errors.constData());
    QCOMPARE(app.readAllStandardOutput(), QByteArray("running\n"));
    QVERIFY2(!errors.contains("Sanitizer") && !errors.contains("runtime error"),
             errors.constData());

    // Both scripts still wait, yet their folders are gone with the app.
    QVERIFY(!program.recordedRequest(u"manage.mjs"_s).isEmpty());
    QVERIFY(!program.recordedArguments(u"tarnwick.mjs"_s).isEmpty());
    QCOMPARE(RequestFolders::in(temporary.path()), QStringList{});

    QVERIFY(program.release());
    QVERIFY(QFile(program.directory() + u"/server/release"_s).open(QIODevice::WriteOnly));
}

QTEST_MAIN(TarnwickSetupTest)
#include "TarnwickSetupTest.moc"

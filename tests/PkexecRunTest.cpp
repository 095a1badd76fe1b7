// Runs actions through the real /usr/bin/pkexec, so what polkit and pkexec do
// to the command line, the environment and the output is seen, not assumed.
// Needs root (polkit then lets the run through without asking) and a system
// bus with polkitd; the polkit fixture in CMakeLists.txt provides both.

#include "FakeProgram.h"
#include "Processes.h"
#include "RequestFolders.h"
#include "ScopedVariable.h"
#include "TestFolder.h"
#include "TestForms.h"
#include "TestLauncher.h"
#include "TestServices.h"
#include "form/SetupView.h"
#include "runner/PkexecElevation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Values = QMap<QString, QString>;

// A run may wait for polkitd to answer; it never waits for a person here.
constexpr int runTimeout = 30000;

using TestForms::form;

// A view whose runs go through the real pkexec (to the launcher, when one is
// given) and the run keeper built here.
std::unique_ptr<SetupView> makeView(const QString &id, const QString &program,
                                    std::optional<QString> launcher = std::nullopt)
{
    SetupServices services = TestServices::forProgram(program);
    services.elevation = std::make_shared<PkexecElevation>(std::move(launcher));
    return std::make_unique<SetupView>(QList<Operation>{form(id)}, std::move(services));
}

} // namespace

class PkexecRunTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void runsScriptAsRootWithBareEnvironment_data();
    void runsScriptAsRootWithBareEnvironment();
    void reportsMissingNodeAndCleansUp();
    void reportsRefusalByPkexecItself();
    void actionOutlivesTheApp_data();
    void actionOutlivesTheApp();

private:
    std::unique_ptr<FakeProgram> m_program;
    std::unique_ptr<TestFolder> m_folder;
};

void PkexecRunTest::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("needs root: polkit would ask a non-root user for a password");
    if (!QFileInfo::exists(u"/usr/bin/pkexec"_s))
        QSKIP("/usr/bin/pkexec is not installed");
}

void PkexecRunTest::init()
{
    // The program lives in the ordinary temporary folder, made before TMPDIR
    // moves, so the run's own temporary folder holds nothing but what the run
    // leaves there.
    m_program = std::make_unique<FakeProgram>();
    QVERIFY(m_program->isValid());
    m_folder = std::make_unique<TestFolder>(TestFolder::Tmpdir::Set);
    QVERIFY(m_folder->isValid());
    QCOMPARE(QDir::tempPath(), m_folder->path());
}

void PkexecRunTest::cleanup()
{
    // Keepers name their request folders in the temporary folder.
    if (m_folder)
        QCOMPARE(Processes::awaitNoneMentioning(m_folder->path()), QList<qint64>{});
    m_folder.reset();
    m_program.reset();
}

void PkexecRunTest::runsScriptAsRootWithBareEnvironment_data()
{
    QTest::addColumn<bool>("throughLauncher");

    // As the build tree runs it: pkexec gets the whole command line.
    QTest::newRow("command line") << false;
    // As an installation runs it: pkexec gets a launcher, here a copy built
    // for a fake program of its own, and the request.
    QTest::newRow("launcher") << true;
}

void PkexecRunTest::runsScriptAsRootWithBareEnvironment()
{
    QFETCH(bool, throughLauncher);
    std::unique_ptr<FakeProgram> launcherProgram;
    if (throughLauncher) {
        launcherProgram = std::make_unique<FakeProgram>(
            FakeProgram::Exactly{QString::fromUtf8(TARNWICK_TEST_LAUNCHER_PROGRAM)});
        QVERIFY(launcherProgram->isValid());
    }
    // The program that runs; with a launcher, the app's own must stay untouched.
    FakeProgram &program = throughLauncher ? *launcherProgram : *m_program;

    program.setManageScript("printf 'tarnwick probe\\n'\n"
                            "printf 'uid %s ruid %s\\n' \"$(id -u)\" \"$(id -ru)\"\n"
                            "printf 'caf\\303\\251 \\342\\230\\203 on stderr\\n' >&2\n"
                            "printf 'last line, no break'\n");
    // Also proves the app's own environment does not reach the script.
    const ScopedVariable probe("TARNWICK_PROBE", "must not leak");

    const auto made = makeView(
        u"invite-person"_s, m_program->directory(),
        throughLauncher ? std::optional(QString::fromUtf8(TARNWICK_TEST_LAUNCHER)) : std::nullopt);
    SetupView &view = *made;
    const Values values{{u"name"_s, u"Zo\u00eb \"Z\" O'Neil \u2603"_s},
                        {u"buildings"_s, u"North\nSouth"_s}};
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        view.setFieldValue(it.key(), it.value());

    view.perform();
    QVERIFY(view.busy());
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), runTimeout);

    QCOMPARE(view.result(), u"tarnwick probe\nuid 0 ruid 0\ncaf\u00e9 \u2603 on stderr\n"
                            u"last line, no break"_s);

    const QStringList words = program.recordedArguments(u"manage.mjs"_s);
    QCOMPARE(words.size(), 3);
    QCOMPARE(words.at(0), program.directory() + u"/node"_s);
    QCOMPARE(words.at(1), program.directory() + u"/desktop/manage.mjs"_s);
    const QString request = words.at(2);
    QVERIFY2(RequestFolders::holdsRequestFile(request, m_folder->path()), qPrintable(request));

    QCOMPARE(program.recordedEnvironment(u"manage.mjs"_s),
             (QStringList{u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s}));

    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(program.recordedRequest(u"manage.mjs"_s), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject sent = document.object();
    QCOMPARE(sent.keys(), (QStringList{u"action"_s, u"format"_s, u"values"_s}));
    QCOMPARE(sent.value(u"action"_s), QJsonValue(u"invite-person"_s));
    QCOMPARE(sent.value(u"format"_s), QJsonValue(u"display"_s));
    const QJsonObject expected{{u"name"_s, values.value(u"name"_s)},
                               {u"buildings"_s, values.value(u"buildings"_s)}};
    QCOMPARE(sent.value(u"values"_s).toObject(), expected);

    QCOMPARE(program.recordedRequestFolderMode(u"manage.mjs"_s), u"700"_s);
    if (throughLauncher)
        QCOMPARE(m_program->recordedArguments(u"manage.mjs"_s), QStringList{});
    QCOMPARE(m_folder->entries(), QStringList{});
}

void PkexecRunTest::reportsMissingNodeAndCleansUp()
{
    const QString node = m_program->directory() + u"/node"_s;
    QVERIFY(QFile::remove(node));
    // pkexec hands the caller's locale on to env, whose message quotes the
    // path; in a UTF-8 locale it is quoted without escaping anything in it.
    const ScopedVariable locale("LC_ALL", "C.UTF-8");

    const auto made = makeView(u"status"_s, m_program->directory());
    SetupView &view = *made;
    view.perform();
    QVERIFY(view.busy());
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), runTimeout);

    const QString result = view.result();
    QVERIFY2(result.contains(node), qPrintable(result));
    QVERIFY2(result.contains(u"No such file or directory"_s), qPrintable(result));
    QVERIFY2(!result.contains(u"Could not start"_s), qPrintable(result));
    QCOMPARE(m_folder->entries(), QStringList{});
}

void PkexecRunTest::reportsRefusalByPkexecItself()
{
    // pkexec refuses to run anything when SHELL names no shell in /etc/shells.
    const ScopedVariable shell("SHELL", "/nonexistent/tarnwick-shell");

    const auto made = makeView(u"status"_s, m_program->directory());
    SetupView &view = *made;
    view.perform();
    QVERIFY(view.busy());
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), runTimeout);

    const QString result = view.result();
    QVERIFY2(result.contains(u"SHELL"_s), qPrintable(result));
    QVERIFY2(result.contains(u"/etc/shells"_s), qPrintable(result));
    QCOMPARE(m_program->recordedArguments(u"manage.mjs"_s), QStringList{});
    QCOMPARE(m_folder->entries(), QStringList{});
}

void PkexecRunTest::actionOutlivesTheApp_data()
{
    QTest::addColumn<QString>("end");

    QTest::newRow("Close Window, then File > Quit") << u"menu"_s;
    QTest::newRow("SIGTERM, as at logout") << u"SIGTERM"_s;
}

void PkexecRunTest::actionOutlivesTheApp()
{
    // pkexec ends its command when the thread that started it ends; the
    // app's threads end with the app, the keeper's only with the command.
    QFETCH(QString, end);
    m_program->holdManageScript("finished\\n");
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TMPDIR"_s, m_folder->path());
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    app.setProcessEnvironment(environment);
    app.start(QStringLiteral(TARNWICK_QUIT_PROBE),
              {QStringLiteral(TARNWICK_TEST_DATA) + u"/catalogues/valid.json"_s,
               m_program->directory(), end == u"menu" ? u"menu"_s : u"wait"_s, u"pkexec"_s});
    QTRY_VERIFY_WITH_TIMEOUT(app.canReadLine() || app.state() == QProcess::NotRunning, runTimeout);
    QVERIFY2(app.readLine() == "running\n", app.readAllStandardError().constData());
    if (end != u"menu")
        QCOMPARE(::kill(pid_t(app.processId()), SIGTERM), 0);
    QVERIFY2(app.waitForFinished(runTimeout), "the app did not end");
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);

    // Both scripts run on as root, nothing told them to stop, and their
    // requests stay until they end.
    QTest::qWait(500);
    QCOMPARE(m_folder->requestFolders().size(), 2);
    QVERIFY(m_program->release());
    QTRY_COMPARE_WITH_TIMEOUT(m_program->heldEffects().size(), 2, runTimeout);
    QVERIFY(!m_program->heldWasTerminated());
    QTRY_COMPARE(m_folder->requestFolders(), QStringList{});
    QTRY_COMPARE(Processes::mentioning(m_program->directory()), QList<qint64>{});
}

QTEST_GUILESS_MAIN(PkexecRunTest)
#include "PkexecRunTest.moc"

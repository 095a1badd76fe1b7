// Runs the launcher executable itself, a copy built for a fake program, to see
// what it really execs, what it refuses and what it exits with.

#include "FakeProgram.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QString output;
    QString errors;
};

Run launch(const QStringList &arguments)
{
    QProcess process;
    // Its own environment must not reach the script.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TARNWICK_PROBE"_s, u"must not leak"_s);
    environment.insert(u"NODE_OPTIONS"_s, u"--require=/nonexistent.js"_s);
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("TARNWICK_TEST_LAUNCHER"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class LauncherTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void refusesWithoutRunningAnything_data();
    void refusesWithoutRunningAnything();
    void execsManageScriptInBareEnvironment();
    void passesScriptExitStatusOn();
    void reportsMissingNode();

private:
    std::unique_ptr<FakeProgram> m_program;
};

void LauncherTest::init()
{
    m_program = std::make_unique<FakeProgram>(
        FakeProgram::Exactly{qEnvironmentVariable("TARNWICK_TEST_LAUNCHER_PROGRAM")});
    QVERIFY(m_program->isValid());
}

void LauncherTest::cleanup()
{
    m_program.reset();
}

void LauncherTest::refusesWithoutRunningAnything_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const QString count = u"tarnwick-setup-launcher: expected exactly one argument, the absolute "
                          u"path of a request file, but got "_s;
    QTest::newRow("none") << QStringList{} << count + u"0\n"_s;
    QTest::newRow("two") << QStringList{u"/tmp/a"_s, u"/tmp/b"_s} << count + u"2\n"_s;
    QTest::newRow("relative")
        << QStringList{u"request.json"_s}
        << u"tarnwick-setup-launcher: the request file path must be absolute, but got "
           u"\"request.json\"\n"_s;
    QTest::newRow("empty") << QStringList{QString()}
                           << u"tarnwick-setup-launcher: the request file path must be "
                              u"absolute, but got \"\"\n"_s;
}

void LauncherTest::refusesWithoutRunningAnything()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    const Run run = launch(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.errors, message);
    QCOMPARE(run.output, QString());
    QCOMPARE(m_program->recordedArguments(u"manage.mjs"_s), QStringList{});
}

void LauncherTest::execsManageScriptInBareEnvironment()
{
    m_program->setManageScript("printf 'managed %s\\n' \"$1\"\nprintf 'to stderr\\n' >&2\n");
    const QString request = u"/tmp/A B/it's \"x\" $y/request.json"_s;

    const Run run = launch({request});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.output, u"managed "_s + request + u'\n');
    QCOMPARE(run.errors, u"to stderr\n"_s);

    const QString directory = m_program->directory();
    QCOMPARE(m_program->recordedArguments(u"manage.mjs"_s),
             (QStringList{directory + u"/node"_s, directory + u"/desktop/manage.mjs"_s, request}));
    QCOMPARE(m_program->recordedEnvironment(u"manage.mjs"_s),
             (QStringList{u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s}));
}

void LauncherTest::passesScriptExitStatusOn()
{
    // The launcher replaces itself, so what pkexec reports is the script's own status.
    m_program->setManageScript("exit 3\n");
    QCOMPARE(launch({u"/tmp/request.json"_s}).exitCode, 3);
}

void LauncherTest::reportsMissingNode()
{
    // The node it was built for is gone: env, already running, says so.
    QVERIFY(QFile::remove(m_program->directory() + u"/node"_s));
    const Run run = launch({u"/tmp/request.json"_s});
    QCOMPARE(run.exitCode, 127);
    QVERIFY2(run.errors.contains(m_program->directory() + u"/node"_s), qPrintable(run.errors));
}

QTEST_GUILESS_MAIN(LauncherTest)
#include "LauncherTest.moc"

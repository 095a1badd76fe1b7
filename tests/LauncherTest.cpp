// Runs the launcher executable itself, a copy built for a fake program, to see
// what it really execs, what it refuses and what it exits with.

#include "FakeProgram.h"
#include "TestLauncher.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QString output;
    QString errors;
};

Run launch(const QStringList &arguments, const QString &user = QString())
{
    QProcess process;
    // Its own environment must not reach the script.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TARNWICK_PROBE"_s, u"must not leak"_s);
    environment.insert(u"NODE_OPTIONS"_s, u"--require=/nonexistent.js"_s);
    environment.remove(u"PKEXEC_UID"_s);
    // env, once exec'd, quotes a path it cannot run in the caller's locale;
    // in a UTF-8 one it leaves the path's characters as they are.
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    if (!user.isNull())
        environment.insert(u"PKEXEC_UID"_s, user);
    process.setProcessEnvironment(environment);
    process.start(QString::fromUtf8(TARNWICK_TEST_LAUNCHER), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// The request of a run as the app leaves it: request.json, the user's own and
// private, in a folder of the user's own that only they may use, in a
// temporary folder nobody else may rename things in.
QString makeRequest(const QString &temporary, const QString &folderName)
{
    const QString folder = temporary + u'/' + folderName;
    const QString file = folder + u"/request.json"_s;
    QFile request(file);
    if (!QDir().mkdir(folder) || !setMode(folder, 0700) || !request.open(QIODevice::WriteOnly) ||
        request.write(R"({"action":"status","values":{},"format":"display"})") < 0 ||
        !setMode(file, 0600)) {
        return {};
    }
    return file;
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
    void refusesRequestNotSafelyTheUsers_data();
    void refusesRequestNotSafelyTheUsers();
    void execsManageScriptInBareEnvironment();
    void passesScriptExitStatusOn();
    void reportsMissingNode();

private:
    std::unique_ptr<FakeProgram> m_program;
    std::unique_ptr<QTemporaryDir> m_temporary;
};

void LauncherTest::init()
{
    m_program = std::make_unique<FakeProgram>(
        FakeProgram::Exactly{QString::fromUtf8(TARNWICK_TEST_LAUNCHER_PROGRAM)});
    QVERIFY(m_program->isValid());
    m_temporary = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temporary->isValid());
}

void LauncherTest::cleanup()
{
    m_temporary.reset();
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

void LauncherTest::refusesRequestNotSafelyTheUsers_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("another name") << u"name"_s << u"the request file must be named request.json"_s;
    QTest::newRow("a system file")
        << u"shadow"_s << u"the request file must be named request.json"_s;
    QTest::newRow("at the root") << u"root"_s << u"the request file must lie in a request folder"_s;
    QTest::newRow("missing") << u"missing"_s << u"No such file or directory"_s;
    QTest::newRow("a link") << u"link"_s << u"it is a link"_s;
    QTest::newRow("a folder") << u"folder"_s << u"it is not a regular file"_s;
    QTest::newRow("the group may read it") << u"group"_s << u"others may read or write it"_s;
    QTest::newRow("folder readable by all (0755)")
        << u"open folder"_s << u"its folder is not private to its owner (mode 0700)"_s;
    QTest::newRow("folder through a link")
        << u"linked folder"_s << u"its folder is a link or no folder at all"_s;
    QTest::newRow("in a folder where others may rename")
        << u"shared"_s << u"others could rename or replace what is in the folder %1"_s;
    QTest::newRow("asked by another user")
        << u"other user"_s << u"its folder does not belong to the user who asked"_s;
    if (::geteuid() == 0) {
        QTest::newRow("another user's file")
            << u"other owner"_s << u"it does not belong to the user who asked"_s;
    }
}

void LauncherTest::refusesRequestNotSafelyTheUsers()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString temporary = m_temporary->path();
    QString request = makeRequest(temporary, u"run"_s);
    QVERIFY(!request.isEmpty());
    const QString folder = temporary + u"/run"_s;
    QString user = QString::number(::getuid());

    if (kind == u"name") {
        request = folder + u"/other.json"_s;
        QVERIFY(QFile::copy(folder + u"/request.json"_s, request));
    } else if (kind == u"shadow") {
        request = u"/etc/shadow"_s;
    } else if (kind == u"root") {
        request = u"/request.json"_s;
    } else if (kind == u"missing") {
        QVERIFY(QFile::remove(request));
    } else if (kind == u"link") {
        QVERIFY(QFile::rename(request, folder + u"/real.json"_s));
        QVERIFY(QFile::link(folder + u"/real.json"_s, request));
    } else if (kind == u"folder") {
        QVERIFY(QFile::remove(request));
        QVERIFY(QDir().mkdir(request));
    } else if (kind == u"group") {
        QVERIFY(setMode(request, 0640));
    } else if (kind == u"open folder") {
        QVERIFY(setMode(folder, 0755));
    } else if (kind == u"linked folder") {
        QVERIFY(QFile::link(folder, temporary + u"/linked"_s));
        request = temporary + u"/linked/request.json"_s;
    } else if (kind == u"shared") {
        const QString shared = temporary + u"/shared"_s;
        QVERIFY(QDir().mkdir(shared));
        QVERIFY(setMode(shared, 0777));
        request = makeRequest(shared, u"run"_s);
        QVERIFY(!request.isEmpty());
        reason = reason.arg(shared);
    } else if (kind == u"other user") {
        user = QString::number(::getuid() + 1);
    } else if (kind == u"other owner") {
        QCOMPARE(::chown(QFile::encodeName(request).constData(), 65534, 65534), 0);
    }

    const Run run = launch({request}, user);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.errors, u"tarnwick-setup-launcher: refused the request file \""_s + request +
                             u"\": "_s + reason + u'\n');
    QCOMPARE(run.output, QString());
    QCOMPARE(m_program->recordedArguments(u"manage.mjs"_s), QStringList{});
}

void LauncherTest::execsManageScriptInBareEnvironment()
{
    m_program->setManageScript("printf 'managed %s\\n' \"$1\"\nprintf 'to stderr\\n' >&2\n");
    QTemporaryDir temporary(QDir::tempPath() + u"/A B 'it' \"x\" $y XXXXXX"_s);
    QVERIFY(temporary.isValid());
    const QString request = makeRequest(temporary.path(), u"run"_s);
    QVERIFY(!request.isEmpty());

    // As pkexec starts it, and started by hand.
    for (const QString &user : {QString::number(::getuid()), QString()}) {
        const Run run = launch({request}, user);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, u"managed "_s + request + u'\n');
        QCOMPARE(run.errors, u"to stderr\n"_s);
    }

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
    const QString request = makeRequest(m_temporary->path(), u"run"_s);
    QVERIFY(!request.isEmpty());
    QCOMPARE(launch({request}).exitCode, 3);
}

void LauncherTest::reportsMissingNode()
{
    // The node it was built for is gone: env, already running, says so.
    QVERIFY(QFile::remove(m_program->directory() + u"/node"_s));
    const QString request = makeRequest(m_temporary->path(), u"run"_s);
    QVERIFY(!request.isEmpty());
    const Run run = launch({request});
    QCOMPARE(run.exitCode, 127);
    QVERIFY2(run.errors.contains(m_program->directory() + u"/node"_s), qPrintable(run.errors));
}

QTEST_GUILESS_MAIN(LauncherTest)
#include "LauncherTest.moc"

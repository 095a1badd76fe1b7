#include "runner/ActionRunner.h"

#include "FakeProgram.h"
#include "Processes.h"
#include "RequestFolders.h"
#include "ScopedVariable.h"
#include "TestFolder.h"
#include "Umask.h"
#include "UnprivilegedElevation.h"
#include "runner/RunGate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class ActionRunnerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void writesRequestExactly_data();
    void writesRequestExactly();
    void runsInPrivateFolderRemovedAfterwards();
    void passesEachPathAsOneWord();
    void givesScriptBareEnvironment();
    void capturesOutput_data();
    void capturesOutput();
    void keepsAtMostTheLimitOfOutput_data();
    void keepsAtMostTheLimitOfOutput();
    void handsBackOnceEndedOutputIsQuiet();
    void lastsAsLongAsTheCommand();
    void commandGetsOnlyStandardDescriptors();
    void keepsRequestPrivateWhateverTheUmask_data();
    void keepsRequestPrivateWhateverTheUmask();
    void cleanUpNeverFollowsSwappedLink();
    void reportsLaunchFailure_data();
    void reportsLaunchFailure();
    void reportsMissingTemporaryFolder();
    void reportsUnusableTemporaryFolder_data();
    void reportsUnusableTemporaryFolder();
    void refusesExposedTemporaryFolder_data();
    void refusesExposedTemporaryFolder();
    void refusesOnceGateIsClosed();

private:
    QString run(const QJsonObject &request);
    QString runIn(const QString &temporary, const Elevation &elevation = UnprivilegedElevation(),
                  const QString &keeper = QStringLiteral(TARNWICK_TEST_KEEPER));

    std::unique_ptr<FakeProgram> m_program;
    std::unique_ptr<TestFolder> m_folder;
};

namespace {

using Values = QMap<QString, QString>;

// Reaches for a program that is not there, as on a machine without polkit.
class MissingElevation final : public Elevation
{
public:
    QStringList command(const QString &node, const QString &script,
                        const QString &request) const override
    {
        return {u"/nonexistent/pkexec"_s, node, script, request};
    }
};

} // namespace

void ActionRunnerTest::init()
{
    m_program = std::make_unique<FakeProgram>();
    QVERIFY(m_program->isValid());
    m_folder = std::make_unique<TestFolder>();
    QVERIFY(m_folder->isValid());
}

void ActionRunnerTest::cleanup()
{
    // Each waits for what still runs from it: scripts, and keepers, which
    // name their request folders in the temporary folder.
    m_program.reset();
    QCOMPARE(Processes::awaitNoneMentioning(m_folder->path()), QList<qint64>{});
    m_folder.reset();
}

QString ActionRunnerTest::run(const QJsonObject &request)
{
    RunGate gate;
    return ActionRunner::run(request, ServerProgram(m_program->directory()),
                             UnprivilegedElevation(), QStringLiteral(TARNWICK_TEST_KEEPER),
                             m_folder->path(), gate);
}

QString ActionRunnerTest::runIn(const QString &temporary, const Elevation &elevation,
                                const QString &keeper)
{
    RunGate gate;
    return ActionRunner::run(ActionRunner::request(u"status"_s, {}),
                             ServerProgram(m_program->directory()), elevation, keeper, temporary,
                             gate);
}

void ActionRunnerTest::writesRequestExactly_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<Values>("values");

    QTest::newRow("no values") << u"status"_s << Values{};
    QTest::newRow("texts as typed")
        << u"invite-person"_s
        << Values{{u"name"_s, u"Zo\u00eb \"Z\" O'Neil \\ \u2603 \U0001F600"_s},
                  {u"buildings"_s, u"North\nSouth\r\nEast\t"_s},
                  {u"empty"_s, QString()},
                  {u"key with \"quotes\""_s, u"</script>"_s}};
}

void ActionRunnerTest::writesRequestExactly()
{
    QFETCH(QString, action);
    QFETCH(Values, values);

    QCOMPARE(run(ActionRunner::request(action, values)), u"done\n"_s);

    const QByteArray written = m_program->recordedRequest(u"manage.mjs"_s);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(written, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject request = document.object();
    QCOMPARE(request.keys(), (QStringList{u"action"_s, u"format"_s, u"values"_s}));
    QCOMPARE(request.value(u"action"_s), QJsonValue(action));
    QCOMPARE(request.value(u"format"_s), QJsonValue(u"display"_s));
    QVERIFY(request.value(u"values"_s).isObject());
    const QJsonObject sent = request.value(u"values"_s).toObject();
    QCOMPARE(sent.size(), values.size());
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        QCOMPARE(sent.value(it.key()), QJsonValue(it.value()));
    // Compact: no blank or line break outside the strings.
    QVERIFY(!written.contains('\n'));
    QVERIFY(!written.contains("\": "));
    QVERIFY(written.startsWith('{') && written.endsWith('}'));
}

void ActionRunnerTest::runsInPrivateFolderRemovedAfterwards()
{
    QCOMPARE(run(ActionRunner::request(u"status"_s, {})), u"done\n"_s);

    const QStringList words = m_program->recordedArguments(u"manage.mjs"_s);
    QCOMPARE(words.size(), 3);
    const QString request = words.at(2);
    QVERIFY2(RequestFolders::holdsRequestFile(request, m_folder->path()), qPrintable(request));
    QCOMPARE(m_program->recordedRequestFolderMode(u"manage.mjs"_s), u"700"_s);
    QCOMPARE(m_folder->entries(), QStringList{});

    // Each run gets a folder of its own.
    run(ActionRunner::request(u"status"_s, {}));
    QVERIFY(m_program->recordedArguments(u"manage.mjs"_s).at(2) != request);
    QCOMPARE(m_folder->entries(), QStringList{});
}

void ActionRunnerTest::passesEachPathAsOneWord()
{
    // The fake program's own folder holds shell characters; so does this
    // temporary folder, and with it the request file's path.
    QTemporaryDir temporary(QDir::tempPath() + u"/tmp 'a' \"$b\" `c`; d \u00e9 XXXXXX"_s);
    QVERIFY(temporary.isValid());
    QCOMPARE(runIn(temporary.path()), u"done\n"_s);
    const QStringList words = m_program->recordedArguments(u"manage.mjs"_s);
    QCOMPARE(words.size(), 3);
    QCOMPARE(words.at(0), m_program->directory() + u"/node"_s);
    QCOMPARE(words.at(1), m_program->directory() + u"/desktop/manage.mjs"_s);
    QVERIFY2(RequestFolders::holdsRequestFile(words.at(2), temporary.path()),
             qPrintable(words.at(2)));
}

void ActionRunnerTest::givesScriptBareEnvironment()
{
    qputenv("TARNWICK_PROBE", "must not leak");
    run(ActionRunner::request(u"status"_s, {}));
    QCOMPARE(m_program->recordedEnvironment(u"manage.mjs"_s),
             (QStringList{u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s}));
}

void ActionRunnerTest::capturesOutput_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("result");

    QTest::newRow("nothing printed") << QByteArray(":") << QString();
    QTest::newRow("both streams, in order")
        << QByteArray("echo one; echo two >&2; echo three") << u"one\ntwo\nthree\n"_s;
    QTest::newRow("line breaks at the end stay")
        << QByteArray("printf 'x\\r\\n\\n\\n'") << u"x\r\n\n\n"_s;
    QTest::newRow("ill-formed bytes")
        << QByteArray("printf 'a\\377b\\342\\202c\\342\\202\\254'") << u"a\uFFFDb\uFFFDc\u20AC"_s;
    QTest::newRow("exits before writing") << QByteArray("exit 3") << QString();
    QTest::newRow("exit status is not looked at")
        << QByteArray("echo failed; exit 3") << u"failed\n"_s;
    QTest::newRow("background writer after exit")
        << QByteArray("(sleep 0.3; echo late) & echo early") << u"early\nlate\n"_s;
    QTest::newRow("script removes its request")
        << QByteArray("rm -f \"$1\"; echo gone") << u"gone\n"_s;
}

void ActionRunnerTest::capturesOutput()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, result);
    m_program->setManageScript(script);
    QCOMPARE(run(ActionRunner::request(u"status"_s, {})), result);
    QCOMPARE(m_folder->entries(), QStringList{});
}

void ActionRunnerTest::keepsAtMostTheLimitOfOutput_data()
{
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("keptEnd");
    QTest::addColumn<qint64>("leftOut");

    // The script prints 16 MiB less one byte of "a", then `after`.
    QTest::newRow("exactly the limit") << QByteArray("a") << u"a"_s << qint64(0);
    QTest::newRow("ends in a line break at the limit")
        << QByteArray("\n" + QByteArray(1000, 'x')) << u"\n"_s << qint64(1000);
    QTest::newRow("one line past the limit") << QByteArray("ab\n") << u"a"_s << qint64(2);
    // A character the limit cuts in two is left out whole, not half shown.
    QTest::newRow("the limit cuts a character")
        << QByteArray("\u00e9tat") << QString() << qint64(5);
}

void ActionRunnerTest::keepsAtMostTheLimitOfOutput()
{
    QFETCH(QByteArray, after);
    QFETCH(QString, keptEnd);
    QFETCH(qint64, leftOut);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QFile tail(scratch.filePath(u"tail"_s));
    QVERIFY(tail.open(QIODevice::WriteOnly));
    tail.write(after);
    tail.close();
    const qsizetype lead = ActionRunner::outputLimit - 1;
    m_program->setManageScript("yes a | tr -d '\\n' | head -c " + QByteArray::number(lead) +
                               "; cat '" + QFile::encodeName(tail.fileName()) + "'");

    const QString result = run(ActionRunner::request(u"status"_s, {}));
    QString expected = QString(lead, u'a') + keptEnd;
    if (leftOut > 0) {
        if (!expected.endsWith(u'\n'))
            expected += u'\n';
        expected += QLocale().toString(leftOut) +
                    u" more bytes of output were left out; only the first 16 MiB are shown."_s;
    }
    QCOMPARE(result.size(), expected.size());
    QVERIFY(result == expected);
    QCOMPARE(m_folder->entries(), QStringList{});
}

void ActionRunnerTest::handsBackOnceEndedOutputIsQuiet()
{
    // The script ends at once; one child writes a little later, another
    // holds the output open and never writes.
    m_program->setManageScript("echo early; (sleep 0.5; echo late) & "
                               "sleep 600 & echo $! > \"$(dirname \"$0\")/holder\"");
    QElapsedTimer clock;
    clock.start();
    const QString result = run(ActionRunner::request(u"status"_s, {}));
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(result, u"early\nlate\n"_s);
    // What comes within the quiet time is shown; then the run hands back
    // although the holder is still there.
    QVERIFY2(elapsed >= 5000, qPrintable(QString::number(elapsed)));
    QCOMPARE(m_folder->entries(), QStringList{});

    QFile holder(m_program->directory() + u"/desktop/holder"_s);
    QVERIFY(holder.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(holder.readAll().trimmed().toInt());
    QVERIFY(pid > 0);
    QCOMPARE(::kill(pid, SIGKILL), 0);
    // With the holder gone, whatever kept reading the output ends too.
    QTRY_COMPARE(Processes::mentioning(m_program->directory()), QList<qint64>{});
}

void ActionRunnerTest::lastsAsLongAsTheCommand()
{
    // The command closes its output early and goes on: the run is not over
    // until the command is, and its request is there until then.
    m_program->setManageScript("exec >&- 2>&-; sleep 1; cp \"$1\" \"$(dirname \"$0\")/seen\"");
    const QString result = run(ActionRunner::request(u"status"_s, {}));
    QCOMPARE(result, QString());
    QFile seen(m_program->directory() + u"/desktop/seen"_s);
    QVERIFY(seen.open(QIODevice::ReadOnly));
    QVERIFY(seen.readAll().contains("\"action\":\"status\""));
    QCOMPARE(m_folder->entries(), QStringList{});
}

void ActionRunnerTest::commandGetsOnlyStandardDescriptors()
{
    // A descriptor the app inherited from its shell, without close-on-exec.
    int planted[2];
    QCOMPARE(::pipe(planted), 0);
    QCOMPARE(run(ActionRunner::request(u"status"_s, {})), u"done\n"_s);
    ::close(planted[0]);
    ::close(planted[1]);
    QVERIFY(!m_program->recordedArguments(u"manage.mjs"_s).isEmpty());
    const QStringList stray = m_program->recordedStrayDescriptors(u"manage.mjs"_s);
    QVERIFY2(stray.isEmpty(), qPrintable(stray.join(u", "_s)));
}

void ActionRunnerTest::keepsRequestPrivateWhateverTheUmask_data()
{
    QTest::addColumn<int>("mask");

    QTest::newRow("umask 000") << 0;
    QTest::newRow("umask 077") << 077;
    QTest::newRow("umask 277") << 0277;
}

void ActionRunnerTest::keepsRequestPrivateWhateverTheUmask()
{
    QFETCH(int, mask);
    m_program->setManageScript("stat -c %a \"$(dirname \"$1\")\" \"$1\"");
    QString result;
    {
        const Umask scoped{mode_t(mask)};
        result = run(ActionRunner::request(u"status"_s, {}));
    }

    const QStringList modes = result.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(modes.size(), 2);
    QCOMPARE(modes.at(0), u"700"_s);
    QCOMPARE(modes.at(1), u"600"_s);
    QCOMPARE(m_folder->entries(), QStringList{});
}

void ActionRunnerTest::cleanUpNeverFollowsSwappedLink()
{
    // Someone who may rename entries of the temporary folder moves the
    // request folder away while the password is asked for, and puts a link
    // to a folder of yours in its place.
    QTemporaryDir yours;
    QVERIFY(yours.isValid());
    QFile precious(yours.filePath(u"precious"_s));
    QVERIFY(precious.open(QIODevice::WriteOnly));
    precious.write("keep me");
    precious.close();
    m_program->holdManageScript("ran\\n");

    QString result;
    QThread *runner =
        QThread::create([this, &result] { result = run(ActionRunner::request(u"status"_s, {})); });
    runner->start();
    QTRY_COMPARE(m_folder->requestFolders().size(), 1);
    const QString name = m_folder->requestFolders().constFirst();
    QVERIFY(QDir(m_folder->path()).rename(name, u"moved"_s));
    QVERIFY(QFile::link(yours.path(), m_folder->filePath(name)));

    QVERIFY(m_program->release());
    QVERIFY(runner->wait(30000));
    delete runner;
    QCOMPARE(result, u"ran\n"_s);
    QVERIFY(precious.open(QIODevice::ReadOnly));
    QCOMPARE(precious.readAll(), QByteArray("keep me"));
    // Only what the run made went: the request, not the link nor the folder
    // now under another name.
    QVERIFY(QFileInfo(m_folder->filePath(name)).isSymLink());
    QVERIFY(QDir(m_folder->filePath(u"moved"_s)).isEmpty());
}

void ActionRunnerTest::reportsLaunchFailure_data()
{
    QTest::addColumn<bool>("keeperMissing");
    QTest::addColumn<QString>("result");

    QTest::newRow("elevation missing")
        << false << u"Could not start /nonexistent/pkexec: No such file or directory"_s;
    QTest::newRow("keeper missing")
        << true << u"Could not start /nonexistent/keeper: No such file or directory"_s;
}

void ActionRunnerTest::reportsLaunchFailure()
{
    QFETCH(bool, keeperMissing);
    QFETCH(QString, result);
    QCOMPARE(runIn(m_folder->path(), MissingElevation(),
                   keeperMissing ? u"/nonexistent/keeper"_s : QStringLiteral(TARNWICK_TEST_KEEPER)),
             result);
    QCOMPARE(m_folder->entries(), QStringList{});
}

void ActionRunnerTest::reportsMissingTemporaryFolder()
{
    const QString missing = m_folder->path() + u"/gone"_s;
    const QString result = runIn(missing);
    QVERIFY2(result.startsWith(u"Could not create the request folder "_s + missing + u'/'),
             qPrintable(result));
    QVERIFY2(result.endsWith(u": No such file or directory"_s), qPrintable(result));
    QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());

    // An empty temporary folder is what QDir::tempPath() gives for a TMPDIR
    // that does not exist; it must not put the request folder at the root.
    const ScopedVariable tmpdir("TMPDIR", QFile::encodeName(missing));
    QCOMPARE(runIn(QDir::tempPath()),
             u"Could not create the request folder: the temporary folder "_s + missing +
                 u" does not exist"_s);
    QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());
}

void ActionRunnerTest::reportsUnusableTemporaryFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a file, not a folder") << u"file"_s << u"Not a directory"_s;
    // sysfs takes no new folders, not even from root.
    QTest::newRow("a folder that takes no new entries")
        << u"sysfs"_s << u"Operation not permitted"_s;
    // Root may write into any folder whatever its mode.
    if (::geteuid() != 0)
        QTest::newRow("a folder without write permission") << u"locked"_s << u"Permission denied"_s;
}

void ActionRunnerTest::reportsUnusableTemporaryFolder()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString temporary = u"/sys"_s;
    if (kind == u"file") {
        temporary = m_folder->filePath(u"plain file"_s);
        QVERIFY(QFile(temporary).open(QIODevice::WriteOnly));
    } else if (kind == u"locked") {
        temporary = m_folder->filePath(u"locked"_s);
        QVERIFY(QDir().mkdir(temporary));
        QVERIFY(QFile::setPermissions(temporary, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }

    const QString result = runIn(temporary);
    QVERIFY2(result.startsWith(u"Could not create the request folder "_s + temporary + u'/'),
             qPrintable(result));
    QVERIFY2(result.endsWith(u": "_s + reason), qPrintable(result));
    QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());
}

void ActionRunnerTest::refusesExposedTemporaryFolder_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("otherOwner");
    QTest::addColumn<QString>("reason");

    const QString shared = u"Did not run: others could rename or replace what is in the "
                           u"temporary folder %1, so the request could be swapped before it runs "
                           u"with administrator rights. Set TMPDIR to a folder that only you can "
                           u"write to."_s;
    QTest::newRow("everyone may write, not sticky") << 0777 << false << shared;
    QTest::newRow("the group may write, not sticky") << 0770 << false << shared;
    QTest::newRow("everyone may write, sticky") << 01777 << false << QString();
    QTest::newRow("only the owner may write") << 0700 << false << QString();
    // Making a folder another user's takes root.
    if (::geteuid() == 0) {
        QTest::newRow("another user's")
            << 0700 << true
            << u"Did not run: the temporary folder %1 belongs to another user, who could swap the "
               u"request before it runs with administrator rights. Set TMPDIR to a folder of your "
               u"own."_s;
    }
}

void ActionRunnerTest::refusesExposedTemporaryFolder()
{
    QFETCH(int, mode);
    QFETCH(bool, otherOwner);
    QFETCH(QString, reason);
    const QString temporary = m_folder->filePath(u"shared"_s);
    QVERIFY(QDir().mkdir(temporary));
    const QByteArray path = QFile::encodeName(temporary);
    QCOMPARE(::chmod(path.constData(), mode_t(mode)), 0);
    if (otherOwner)
        QCOMPARE(::chown(path.constData(), 65534, 65534), 0);

    const QString result = runIn(temporary);
    if (reason.isEmpty()) {
        QCOMPARE(result, u"done\n"_s);
    } else {
        QCOMPARE(result, reason.arg(temporary));
        QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());
    }
    QCOMPARE(QDir(temporary).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
}

void ActionRunnerTest::refusesOnceGateIsClosed()
{
    RunGate gate;
    gate.close();
    QCOMPARE(ActionRunner::run(ActionRunner::request(u"status"_s, {}),
                               ServerProgram(m_program->directory()), UnprivilegedElevation(),
                               QStringLiteral(TARNWICK_TEST_KEEPER), m_folder->path(), gate),
             u"Did not run: the app is quitting."_s);
    QCOMPARE(m_folder->entries(), QStringList{});
    QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());
}

QTEST_GUILESS_MAIN(ActionRunnerTest)
#include "ActionRunnerTest.moc"

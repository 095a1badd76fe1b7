#include "runner/ActionRunner.h"

#include "FakeProgram.h"
#include "RequestFolders.h"
#include "UnprivilegedElevation.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class ActionRunnerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void writesRequestExactly_data();
    void writesRequestExactly();
    void runsInPrivateFolderRemovedAfterwards();
    void passesEachPathAsOneWord();
    void givesScriptBareEnvironment();
    void capturesOutput_data();
    void capturesOutput();
    void carriesLargeOutputWhole();
    void keepsRequestPrivateWhateverTheUmask_data();
    void keepsRequestPrivateWhateverTheUmask();
    void refusesWhatIsAlreadyAtRequestPath_data();
    void refusesWhatIsAlreadyAtRequestPath();
    void reportsLaunchFailure();
    void reportsMissingTemporaryFolder();
    void reportsUnusableTemporaryFolder_data();
    void reportsUnusableTemporaryFolder();

private:
    QString run(const QJsonObject &request);
    QStringList leftovers() const;

    std::unique_ptr<FakeProgram> m_program;
    std::unique_ptr<QTemporaryDir> m_temporary;
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
    m_temporary = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temporary->isValid());
}

QString ActionRunnerTest::run(const QJsonObject &request)
{
    return ActionRunner::run(request, ServerProgram(m_program->directory()),
                             UnprivilegedElevation(), m_temporary->path());
}

QStringList ActionRunnerTest::leftovers() const
{
    return QDir(m_temporary->path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
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
    QVERIFY2(RequestFolders::holdsRequestFile(request, m_temporary->path()), qPrintable(request));
    QCOMPARE(m_program->recordedRequestFolderMode(u"manage.mjs"_s), u"700"_s);
    QCOMPARE(leftovers(), QStringList{});

    // Each run gets a folder of its own.
    run(ActionRunner::request(u"status"_s, {}));
    QVERIFY(m_program->recordedArguments(u"manage.mjs"_s).at(2) != request);
    QCOMPARE(leftovers(), QStringList{});
}

void ActionRunnerTest::passesEachPathAsOneWord()
{
    // The fake program's own folder holds shell characters; so does this
    // temporary folder, and with it the request file's path.
    QTemporaryDir temporary(QDir::tempPath() + u"/tmp 'a' \"$b\" `c`; d \u00e9 XXXXXX"_s);
    QVERIFY(temporary.isValid());
    QCOMPARE(ActionRunner::run(ActionRunner::request(u"status"_s, {}),
                               ServerProgram(m_program->directory()), UnprivilegedElevation(),
                               temporary.path()),
             u"done\n"_s);
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
    QCOMPARE(leftovers(), QStringList{});
}

void ActionRunnerTest::carriesLargeOutputWhole()
{
    // 64 MiB in lines of 16 bytes, far more than any pipe buffer holds.
    const qsizetype size = qsizetype(64) << 20;
    m_program->setManageScript("yes 0123456789abcde | head -c " + QByteArray::number(size));
    const QString result = run(ActionRunner::request(u"status"_s, {}));
    QCOMPARE(result.size(), size);
    QVERIFY(result == u"0123456789abcde\n"_s.repeated(size / 16));
    QCOMPARE(leftovers(), QStringList{});
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
    const mode_t previous = ::umask(mode_t(mask));
    const QString result = run(ActionRunner::request(u"status"_s, {}));
    ::umask(previous);

    const QStringList modes = result.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(modes.size(), 2);
    QCOMPARE(modes.at(0), u"700"_s);
    bool octal = false;
    const int fileMode = modes.at(1).toInt(&octal, 8);
    QVERIFY(octal);
    QCOMPARE(fileMode & 077, 0);
    QCOMPARE(fileMode & 0400, 0400);
    QCOMPARE(leftovers(), QStringList{});
}

void ActionRunnerTest::refusesWhatIsAlreadyAtRequestPath_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("file") << u"file"_s;
    QTest::newRow("link to a file") << u"link"_s;
    QTest::newRow("dangling link") << u"dangling"_s;
    QTest::newRow("folder") << u"folder"_s;
}

void ActionRunnerTest::refusesWhatIsAlreadyAtRequestPath()
{
    QFETCH(QString, kind);
    const QString path = m_temporary->filePath(u"request.json"_s);
    const QString target = m_temporary->filePath(u"target"_s);
    const QString nowhere = m_temporary->filePath(u"nowhere"_s);
    QFile planted(target);
    QVERIFY(planted.open(QIODevice::WriteOnly));
    planted.write("planted");
    planted.close();
    if (kind == u"file")
        QVERIFY(QFile::copy(target, path));
    else if (kind == u"link")
        QVERIFY(QFile::link(target, path));
    else if (kind == u"dangling")
        QVERIFY(QFile::link(nowhere, path));
    else
        QVERIFY(QDir().mkdir(path));

    const QString failure =
        ActionRunner::writeRequest(path, ActionRunner::request(u"status"_s, {}));
    QVERIFY2(failure.startsWith(u"Could not write the request file "_s + path + u": "_s),
             qPrintable(failure));
    QVERIFY2(failure.contains(u"exists"_s), qPrintable(failure));

    // Neither followed nor overwritten.
    QVERIFY(planted.open(QIODevice::ReadOnly));
    QCOMPARE(planted.readAll(), QByteArray("planted"));
    QVERIFY(!QFileInfo::exists(nowhere));
    if (kind == u"file") {
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("planted"));
    }
}

void ActionRunnerTest::reportsLaunchFailure()
{
    const QString result = ActionRunner::run(ActionRunner::request(u"status"_s, {}),
                                             ServerProgram(m_program->directory()),
                                             MissingElevation(), m_temporary->path());
    QCOMPARE(result, u"Could not start /nonexistent/pkexec: No such file or directory"_s);
    QCOMPARE(leftovers(), QStringList{});
}

void ActionRunnerTest::reportsMissingTemporaryFolder()
{
    const QString missing = m_temporary->path() + u"/gone"_s;
    const QString result =
        ActionRunner::run(ActionRunner::request(u"status"_s, {}),
                          ServerProgram(m_program->directory()), UnprivilegedElevation(), missing);
    QVERIFY2(result.startsWith(u"Could not create the request folder "_s + missing + u'/'),
             qPrintable(result));
    QVERIFY2(result.endsWith(u": No such file or directory"_s), qPrintable(result));
    QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());

    // An empty temporary folder is what QDir::tempPath() gives for a TMPDIR
    // that does not exist; it must not put the request folder at the root.
    qputenv("TMPDIR", QFile::encodeName(missing));
    QCOMPARE(ActionRunner::run(ActionRunner::request(u"status"_s, {}),
                               ServerProgram(m_program->directory()), UnprivilegedElevation(),
                               QDir::tempPath()),
             u"Could not create the request folder: the temporary folder "_s + missing +
                 u" does not exist"_s);
    QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());
    qunsetenv("TMPDIR");
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
        temporary = m_temporary->filePath(u"plain file"_s);
        QVERIFY(QFile(temporary).open(QIODevice::WriteOnly));
    } else if (kind == u"locked") {
        temporary = m_temporary->filePath(u"locked"_s);
        QVERIFY(QDir().mkdir(temporary));
        QVERIFY(QFile::setPermissions(temporary, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }

    const QString result = ActionRunner::run(ActionRunner::request(u"status"_s, {}),
                                             ServerProgram(m_program->directory()),
                                             UnprivilegedElevation(), temporary);
    QVERIFY2(result.startsWith(u"Could not create the request folder "_s + temporary + u'/'),
             qPrintable(result));
    QVERIFY2(result.endsWith(u": "_s + reason), qPrintable(result));
    QVERIFY(m_program->recordedRequest(u"manage.mjs"_s).isEmpty());
}

QTEST_GUILESS_MAIN(ActionRunnerTest)
#include "ActionRunnerTest.moc"

#include "runner/ActionRunner.h"

#include "FakeProgram.h"
#include "RequestFolders.h"
#include "UnprivilegedElevation.h"

#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

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
    void reportsLaunchFailure();
    void reportsMissingTemporaryFolder();

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
    run(ActionRunner::request(u"status"_s, {}));
    const QStringList words = m_program->recordedArguments(u"manage.mjs"_s);
    QCOMPARE(words.size(), 3);
    QCOMPARE(words.at(0), m_program->directory() + u"/node"_s);
    QCOMPARE(words.at(1), m_program->directory() + u"/desktop/manage.mjs"_s);
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

QTEST_GUILESS_MAIN(ActionRunnerTest)
#include "ActionRunnerTest.moc"

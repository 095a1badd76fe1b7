#include "FakeProgram.h"
#include "LaunchCommand.h"
#include "runner/ChildProcess.h"
#include "runner/InstalledLauncher.h"
#include "runner/OsascriptElevation.h"
#include "runner/PkexecElevation.h"
#include "runner/ServerProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class ElevationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void osascriptScriptIsExact();
    void commandKeepsEachPathOneWord_data();
    void commandKeepsEachPathOneWord();
    void osascriptShellLineKeepsEachPathOneWord();
    void launcherRunsWhatPkexecWouldRun_data();
    void launcherRunsWhatPkexecWouldRun();
    void platformDefaultIsPkexecWithoutLauncherInBuildTree();
};

void ElevationTest::osascriptScriptIsExact()
{
    QFile golden(QStringLiteral(TARNWICK_TEST_DATA) + u"/elevation.applescript"_s);
    QVERIFY(golden.open(QIODevice::ReadOnly));
    const QString script = OsascriptElevation::script();
    QCOMPARE(script, QString::fromUtf8(golden.readAll()));
    QCOMPARE(script.size(), 243);
    QCOMPARE(script.count(u'\n'), 2);
    QVERIFY(!script.endsWith(u'\n'));
}

void ElevationTest::commandKeepsEachPathOneWord_data()
{
    QTest::addColumn<QString>("program");

    QTest::newRow("installed") << u"/Library/Application Support/Tarnwick/Program"_s;
    QTest::newRow("shell characters") << u"/opt/it's \"here\" $HOME `id`; rm -rf x \u00e9"_s;
    QTest::newRow("empty") << QString();
}

void ElevationTest::commandKeepsEachPathOneWord()
{
    QFETCH(QString, program);
    const QString node = program + u"/node"_s;
    const QString script = program + u"/desktop/manage.mjs"_s;
    const QString request = u"/tmp/A B/request.json"_s;

    QCOMPARE(OsascriptElevation().command(node, script, request),
             (QStringList{u"/usr/bin/osascript"_s, u"-e"_s, OsascriptElevation::script(), node,
                          script, request}));
    QCOMPARE(PkexecElevation().command(node, script, request),
             (QStringList{u"/usr/bin/pkexec"_s, u"--disable-internal-agent"_s, u"/usr/bin/env"_s,
                          u"-i"_s, u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s, node, script,
                          request}));
    // The launcher has the program's paths built in: pkexec gets the request alone.
    const QString launcher = program + u"/libexec/tarnwick-setup/tarnwick-setup-launcher"_s;
    QCOMPARE(PkexecElevation(launcher).command(node, script, request),
             (QStringList{u"/usr/bin/pkexec"_s, u"--disable-internal-agent"_s, launcher, request}));
}

namespace {

// What "do shell script" runs for the elevation script and its items, built
// as AppleScript does: "quoted form of" wraps a text in single quotes and
// writes each single quote inside as '\''.
QString shellLineOf(const QString &script, const QStringList &items)
{
    static const QRegularExpression expression(QStringLiteral(
        R"re(do shell script "([^"]*)" & quoted form of \(item 1 of argv\) & " " & )re"
        R"re(quoted form of \(item 2 of argv\) & " " & quoted form of \(item 3 of argv\) )re"
        R"re(with administrator privileges)re"));
    const QRegularExpressionMatch match = expression.match(script);
    if (!match.hasMatch() || items.size() != 3)
        return {};
    QStringList quoted;
    for (QString item : items)
        quoted.append(u'\'' + item.replace(u"'"_s, u"'\\''"_s) + u'\'');
    return match.captured(1) + quoted.join(u' ');
}

} // namespace

void ElevationTest::osascriptShellLineKeepsEachPathOneWord()
{
    // The fake program's folder holds quotes, blanks, $, backquotes, a
    // semicolon and non-ASCII; so does the request's folder.
    FakeProgram program;
    QVERIFY(program.isValid());
    QTemporaryDir folder(QDir::tempPath() + u"/req 'a' \"$b\" `c`; d \u00e9 XXXXXX"_s);
    QVERIFY(folder.isValid());
    const QString request = folder.filePath(u"request.json"_s);
    QVERIFY(QFile(request).open(QIODevice::WriteOnly));
    const ServerProgram server(program.directory());

    const QStringList command =
        OsascriptElevation().command(server.node(), server.manageScript(), request);
    QCOMPARE(command.size(), 6);
    const QString line = shellLineOf(command.at(2), command.mid(3));
    QVERIFY2(!line.isEmpty(), qPrintable(command.at(2)));
    const ChildProcess::Result shell =
        ChildProcess::run({u"/bin/sh"_s, u"-c"_s, line}, ChildProcess::ErrorStream::SameAsOutput);
    QVERIFY(shell.started);
    QCOMPARE(shell.output, QByteArray("done\n"));

    QCOMPARE(program.recordedArguments(u"manage.mjs"_s),
             (QStringList{server.node(), server.manageScript(), request}));
    QCOMPARE(program.recordedEnvironment(u"manage.mjs"_s),
             (QStringList{u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s}));
}

void ElevationTest::launcherRunsWhatPkexecWouldRun_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("request");

    QTest::newRow("installed") << u"/Library/Application Support/Tarnwick/Program"_s
                               << u"/tmp/8C1F0E2A-5B4D-4E8F-9A1B-2C3D4E5F6071/request.json"_s;
    QTest::newRow("shell characters")
        << u"/opt/it's \"here\" $HOME `id`; \u00e9"_s << u"/tmp/A B/$x `y`/request.json"_s;
}

void ElevationTest::launcherRunsWhatPkexecWouldRun()
{
    // Installed or not, the script must run on the same words in the same
    // environment; only who spells them out differs.
    QFETCH(QString, program);
    QFETCH(QString, request);
    const ServerProgram server(program);

    const LaunchCommand launched(program.toStdString(), {request.toStdString()});
    QVERIFY(launched.isValid());
    QStringList words;
    for (const std::string &word : launched.words())
        words.append(QString::fromStdString(word));

    const QStringList direct =
        PkexecElevation().command(server.node(), server.manageScript(), request);
    QCOMPARE(direct.first(2), (QStringList{u"/usr/bin/pkexec"_s, u"--disable-internal-agent"_s}));
    QCOMPARE(words, direct.mid(2));
}

void ElevationTest::platformDefaultIsPkexecWithoutLauncherInBuildTree()
{
    // The build tree never installs to the prefix the launcher's path is fixed from.
    if (QFileInfo::exists(InstalledLauncher::path()))
        QSKIP("an installation of this prefix is present on this machine");
    const auto elevation = Elevation::platformDefault();
    const auto *pkexec = dynamic_cast<const PkexecElevation *>(elevation.get());
    QVERIFY(pkexec);
    QCOMPARE(pkexec->launcher(), std::nullopt);
}

QTEST_GUILESS_MAIN(ElevationTest)
#include "ElevationTest.moc"

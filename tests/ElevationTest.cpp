#include "LaunchCommand.h"
#include "runner/InstalledLauncher.h"
#include "runner/OsascriptElevation.h"
#include "runner/PkexecElevation.h"
#include "runner/ServerProgram.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

class ElevationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void osascriptScriptIsExact();
    void commandKeepsEachPathOneWord_data();
    void commandKeepsEachPathOneWord();
    void launcherRunsWhatPkexecWouldRun_data();
    void launcherRunsWhatPkexecWouldRun();
    void platformDefaultIsPkexecWithoutLauncherInBuildTree();
};

void ElevationTest::osascriptScriptIsExact()
{
    QFile golden(qEnvironmentVariable("TARNWICK_TEST_DATA") + u"/elevation.applescript"_s);
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

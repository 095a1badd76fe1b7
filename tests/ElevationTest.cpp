#include "runner/OsascriptElevation.h"
#include "runner/PkexecElevation.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class ElevationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void osascriptScriptIsExact();
    void commandKeepsEachPathOneWord_data();
    void commandKeepsEachPathOneWord();
    void platformDefaultIsPkexecHere();
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
}

void ElevationTest::platformDefaultIsPkexecHere()
{
    const auto elevation = Elevation::platformDefault();
    QVERIFY(dynamic_cast<const PkexecElevation *>(elevation.get()));
}

QTEST_GUILESS_MAIN(ElevationTest)
#include "ElevationTest.moc"

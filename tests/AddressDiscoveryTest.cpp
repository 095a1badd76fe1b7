#include "runner/AddressDiscovery.h"

#include "FakeProgram.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QList<LocalAddress>>)

class AddressDiscoveryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsServerScriptAsSpecified();
    void decodesWhatIsPrinted_data();
    void decodesWhatIsPrinted();
    void givesNothingWithoutNode();
};

void AddressDiscoveryTest::runsServerScriptAsSpecified()
{
    FakeProgram program;
    QVERIFY(program.isValid());
    qputenv("TARNWICK_PROBE", "must not leak");
    AddressDiscovery::run(ServerProgram(program.directory()));

    QCOMPARE(program.recordedArguments(u"tarnwick.mjs"_s),
             (QStringList{program.directory() + u"/node"_s,
                          program.directory() + u"/server/tarnwick.mjs"_s, u"lan-addresses"_s}));
    QCOMPARE(program.recordedEnvironment(u"tarnwick.mjs"_s),
             (QStringList{u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s}));
}

void AddressDiscoveryTest::decodesWhatIsPrinted_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<std::optional<QList<LocalAddress>>>("expected");

    const QByteArray one =
        R"(printf '[{"origin":"http://10.0.0.2:8080","bind":"10.0.0.2","name":"eth0"}]')";
    const QList<LocalAddress> listing{{u"http://10.0.0.2:8080"_s, u"10.0.0.2"_s, u"eth0"_s}};

    QTest::newRow("a listing") << one << std::optional(listing);
    QTest::newRow("empty listing")
        << QByteArray("printf '[]'") << std::optional(QList<LocalAddress>{});
    QTest::newRow("error stream ignored")
        << "echo 'warning: noise' >&2; " + one << std::optional(listing);
    QTest::newRow("failure status ignored") << one + "; exit 4" << std::optional(listing);
    QTest::newRow("nothing printed") << QByteArray(":") << std::optional<QList<LocalAddress>>();
    QTest::newRow("not JSON") << QByteArray("echo eth0 10.0.0.2")
                              << std::optional<QList<LocalAddress>>();
    QTest::newRow("element without bind") << QByteArray(R"(printf '[{"origin":"o","name":"n"}]')")
                                          << std::optional<QList<LocalAddress>>();
}

void AddressDiscoveryTest::decodesWhatIsPrinted()
{
    QFETCH(QByteArray, script);
    QFETCH(std::optional<QList<LocalAddress>>, expected);
    FakeProgram program;
    QVERIFY(program.isValid());
    program.setServerScript(script);
    QCOMPARE(AddressDiscovery::run(ServerProgram(program.directory())), expected);
}

void AddressDiscoveryTest::givesNothingWithoutNode()
{
    QCOMPARE(AddressDiscovery::run(ServerProgram(u"/nonexistent"_s)), std::nullopt);
}

QTEST_GUILESS_MAIN(AddressDiscoveryTest)
#include "AddressDiscoveryTest.moc"

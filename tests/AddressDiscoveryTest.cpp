#include "runner/AddressDiscovery.h"

#include "FakeProgram.h"

#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QList<LocalAddress>>)

class AddressDiscoveryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsServerScriptAsUserInBareEnvironment();
    void decodesWhatIsPrinted_data();
    void decodesWhatIsPrinted();
    void givesNothingWithoutNode();
    void serverScriptGetsOnlyStandardDescriptors();
};

void AddressDiscoveryTest::runsServerScriptAsUserInBareEnvironment()
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
    // The listing is kept to 1 MiB; a longer one is no listing, though
    // valid, and what follows the limit is read to its end and dropped.
    const QByteArray padded =
        R"(printf '['; printf '%1048000s' ''; )"
        R"(printf '{"origin":"http://10.0.0.2:8080","bind":"10.0.0.2","name":"eth0"}]')";
    QTest::newRow("just within the limit") << padded << std::optional(listing);
    QTest::newRow("past the limit")
        << "printf '%1000s' ''; " + padded << std::optional<QList<LocalAddress>>();
    QTest::newRow("endless opening brackets, 64 MiB of them")
        << QByteArray("yes '[' | head -c 67108864") << std::optional<QList<LocalAddress>>();
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

void AddressDiscoveryTest::serverScriptGetsOnlyStandardDescriptors()
{
    FakeProgram program;
    QVERIFY(program.isValid());
    // A descriptor the app inherited from its shell, without close-on-exec.
    int planted[2];
    QCOMPARE(::pipe(planted), 0);
    AddressDiscovery::run(ServerProgram(program.directory()));
    ::close(planted[0]);
    ::close(planted[1]);
    QVERIFY(!program.recordedArguments(u"tarnwick.mjs"_s).isEmpty());
    const QStringList stray = program.recordedStrayDescriptors(u"tarnwick.mjs"_s);
    QVERIFY2(stray.isEmpty(), qPrintable(stray.join(u", "_s)));
}

QTEST_GUILESS_MAIN(AddressDiscoveryTest)
#include "AddressDiscoveryTest.moc"

#include "catalogue/AddressListing.h"

#include <QTest>

Q_DECLARE_METATYPE(QList<LocalAddress>)

class AddressListingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void rejects_data();
    void rejects();
};

void AddressListingTest::decodes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QList<LocalAddress>>("expected");

    const LocalAddress lan{QStringLiteral("http://192.168.1.20:8080"),
                           QStringLiteral("192.168.1.20"), QStringLiteral("en0")};
    const LocalAddress v6{QStringLiteral("http://[fd00::5]:8080"), QStringLiteral("fd00::5"),
                          QStringLiteral("en1")};

    QTest::newRow("empty listing") << QByteArray("[]") << QList<LocalAddress>{};
    QTest::newRow("order is kept")
        << QByteArray(
               R"([{"origin":"http://[fd00::5]:8080","bind":"fd00::5","name":"en1"},)"
               R"({"name":"en0","bind":"192.168.1.20","origin":"http://192.168.1.20:8080"}])")
        << QList<LocalAddress>{v6, lan};
    QTest::newRow("extra members are ignored")
        << QByteArray(R"([{"origin":"http://192.168.1.20:8080","bind":"192.168.1.20","name":"en0",)"
                      R"("family":4,"internal":false}])")
        << QList<LocalAddress>{lan};
    QTest::newRow("empty texts are texts")
        << QByteArray(R"([{"origin":"","bind":"","name":""}])") << QList<LocalAddress>{{}};

    // Hostile input: what each gives is written down in docs/reliability.md.
    QTest::newRow("UTF-8 byte-order mark")
        << QByteArray(
               "\xEF\xBB\xBF"
               R"([{"origin":"http://192.168.1.20:8080","bind":"192.168.1.20","name":"en0"}])")
        << QList<LocalAddress>{lan};
    const QString nul = QStringLiteral("e") + QChar(0) + QStringLiteral("n");
    QTest::newRow("escaped NUL") << QByteArray(R"([{"origin":"o","bind":"b","name":"e\u0000n"}])")
                                 << QList<LocalAddress>{
                                        {QStringLiteral("o"), QStringLiteral("b"), nul}};
    QTest::newRow("surrogate pair escape and names written with escapes")
        << QByteArray(R"([{"\u006frigin":"o","bind":"b","name":"\ud83d\ude00"}])")
        << QList<LocalAddress>{
               {QStringLiteral("o"), QStringLiteral("b"), QStringLiteral("\U0001F600")}};
    QTest::newRow("U+FEFF starting a text")
        << QByteArray("[{\"origin\":\"o\",\"bind\":\"\\ufeffb\",\"name\":\"\xEF\xBB\xBFn\"}]")
        << QList<LocalAddress>{
               {QStringLiteral("o"), QStringLiteral("\uFEFFb"), QStringLiteral("\uFEFFn")}};
    QTest::newRow("an extra member given twice, with any JSON")
        << QByteArray(R"([{"origin":"http://192.168.1.20:8080","bind":"192.168.1.20","name":"en0",)"
                      R"("x":[1e-999,18446744073709551615],"x":{"y":null,"y":true}}])")
        << QList<LocalAddress>{lan};
    const QByteArray entry =
        R"({"origin":"http://192.168.1.20:8080","bind":"192.168.1.20","name":"en0"})";
    QTest::newRow("10 MB listing")
        << "[" + (entry + ",").repeated(140'000) + entry + "]" << QList<LocalAddress>(140'001, lan);
}

void AddressListingTest::decodes()
{
    QFETCH(QByteArray, json);
    QFETCH(QList<LocalAddress>, expected);
    const auto decoded = AddressListing::decode(json);
    QVERIFY(decoded.has_value());
    QCOMPARE(*decoded, expected);
}

void AddressListingTest::rejects_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("nothing printed") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("eth0 192.168.1.20");
    QTest::newRow("object") << QByteArray(R"({"origin":"o","bind":"b","name":"n"})");
    QTest::newRow("element lacking name")
        << QByteArray(R"([{"origin":"o","bind":"b","name":"n"},{"origin":"o2","bind":"b2"}])");
    QTest::newRow("element lacking bind") << QByteArray(R"([{"origin":"o","name":"n"}])");
    QTest::newRow("number for bind") << QByteArray(R"([{"origin":"o","bind":4,"name":"n"}])");
    QTest::newRow("null origin") << QByteArray(R"([{"origin":null,"bind":"b","name":"n"}])");
    QTest::newRow("element a string") << QByteArray(R"(["o"])");
    QTest::newRow("two documents") << QByteArray("[][]");
    QTest::newRow("10,000 levels deep") << QByteArray(10000, '[') + QByteArray(10000, ']');
    QTest::newRow("10,000 levels deep in an extra member")
        << R"([{"origin":"o","bind":"b","name":"n","x":)" + QByteArray(10000, '[') +
               QByteArray(10000, ']') + "}]";
    QTest::newRow("10 MB with one bad entry at the end")
        << "[" + QByteArray(R"({"origin":"o","bind":"b","name":"n"},)").repeated(300'000) +
               R"({"origin":"o","bind":"b"}])";
    QTest::newRow("NUL byte after the listing") << QByteArray("[]\0", 3);

    // Which of two values would count is not for a reader to guess.
    QTest::newRow("bind given twice")
        << QByteArray(R"([{"origin":"http://192.168.1.20:8080","bind":"10.0.0.1","name":"en0",)"
                      R"("bind":"192.168.1.20"}])");

    // Malformed JSON, wherever it stands, fails the whole listing.
    QTest::newRow("unknown escape") << QByteArray(R"([{"origin":"o","bind":"b","name":"a\qb"}])");
    QTest::newRow("Windows path with single backslashes")
        << QByteArray(R"([{"origin":"o","bind":"b","name":"C:\Path"}])");
    QTest::newRow("raw NUL byte") << QByteArray(
        "[{\"origin\":\"o\",\"bind\":\"b\",\"name\":\"e\0n\"}]", 40);
    QTest::newRow("raw tab") << QByteArray("[{\"origin\":\"o\",\"bind\":\"b\",\"name\":\"e\tn\"}]");
    QTest::newRow("raw control character in an extra member")
        << QByteArray("[{\"origin\":\"o\",\"bind\":\"b\",\"name\":\"n\",\"x\":\"\x1b\"}]");
    QTest::newRow("lone low surrogate escape")
        << QByteArray(R"([{"origin":"o","bind":"b","name":"\udc00"}])");
    QTest::newRow("lone high surrogate escape in an extra member")
        << QByteArray(R"([{"origin":"o","bind":"b","name":"n","x":"\ud800"}])");
    QTest::newRow("invalid UTF-8")
        << QByteArray("[{\"origin\":\"o\",\"bind\":\"b\",\"name\":\"\xc3\x28\"}]");
    QTest::newRow("comment") << QByteArray("[] /* none */");
    QTest::newRow("trailing comma") << QByteArray(R"([{"origin":"o","bind":"b","name":"n"},])");
    QTest::newRow("single-quoted text") << QByteArray(R"([{"origin":'o',"bind":"b","name":"n"}])");
    QTest::newRow("number beyond double range in an extra member")
        << QByteArray(R"([{"origin":"o","bind":"b","name":"n","x":1e999}])");
    QTest::newRow("integer beyond 64 bits in an extra member")
        << QByteArray(R"([{"origin":"o","bind":"b","name":"n","x":-9223372036854775809}])");
    QTest::newRow("NaN in an extra member")
        << QByteArray(R"([{"origin":"o","bind":"b","name":"n","x":NaN}])");
    QTest::newRow("UTF-16 text") << QByteArray("\xff\xfe[\0]\0", 6);
}

void AddressListingTest::rejects()
{
    QFETCH(QByteArray, json);
    QCOMPARE(AddressListing::decode(json), std::nullopt);
}

QTEST_GUILESS_MAIN(AddressListingTest)
#include "AddressListingTest.moc"

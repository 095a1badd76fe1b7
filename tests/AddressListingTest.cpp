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
}

void AddressListingTest::rejects()
{
    QFETCH(QByteArray, json);
    QCOMPARE(AddressListing::decode(json), std::nullopt);
}

QTEST_GUILESS_MAIN(AddressListingTest)
#include "AddressListingTest.moc"

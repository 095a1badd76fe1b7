#include "catalogue/Catalogue.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(QList<Operation>)

class CatalogueTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void rejects_data();
    void rejects();
    void loadsFromFile();
    void loadsEmptyOnUnreadableFile();
};

namespace {

QByteArray form(const QByteArray &fields, const QByteArray &id = "a")
{
    return R"({"id":")" + id + R"(","title":"T","info":"I","button":"B","fields":)" + fields + "}";
}

Operation operation(QList<QStringList> fields, const QString &id = QStringLiteral("a"))
{
    return {id, QStringLiteral("T"), QStringLiteral("I"), QStringLiteral("B"), std::move(fields)};
}

} // namespace

void CatalogueTest::decodes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QList<Operation>>("expected");

    QTest::newRow("empty array") << QByteArray("[]") << QList<Operation>{};
    QTest::newRow("empty array with blanks") << QByteArray(" \n[ ]\n") << QList<Operation>{};
    QTest::newRow("form without fields")
        << "[" + form("[]") + "]" << QList<Operation>{operation({})};
    QTest::newRow("member order is free")
        << QByteArray(R"([{"fields":[],"button":"B","info":"I","title":"T","id":"a"}])")
        << QList<Operation>{operation({})};
    QTest::newRow("extra members are ignored")
        << QByteArray(
               R"([{"id":"a","title":"T","info":"I","button":"B","fields":[],"icon":7,"x":null}])")
        << QList<Operation>{operation({})};
    QTest::newRow("rows and texts keep their order")
        << "[" + form(R"([["k","Key"],["c","Choose","choice","x|y","extra","more"]])") + "]"
        << QList<Operation>{operation(
               {{QStringLiteral("k"), QStringLiteral("Key")},
                {QStringLiteral("c"), QStringLiteral("Choose"), QStringLiteral("choice"),
                 QStringLiteral("x|y"), QStringLiteral("extra"), QStringLiteral("more")}})};
    QTest::newRow("forms keep file order")
        << "[" + form("[]", "b") + "," + form("[]", "a") + "]"
        << QList<Operation>{operation({}, QStringLiteral("b")), operation({}, QStringLiteral("a"))};
    QTest::newRow("non-ASCII and escapes")
        << QByteArray(
               R"([{"id":"a","title":"Caf\u00e9 \"x\"","info":"<b>i</b>\n","button":"B\u2026","fields":[]}])")
        << QList<Operation>{{QStringLiteral("a"),
                             QStringLiteral("Caf\u00e9 \"x\""),
                             QStringLiteral("<b>i</b>\n"),
                             QStringLiteral("B\u2026"),
                             {}}};
    QTest::newRow("a choice row with an empty choice list is complete")
        << "[" + form(R"([["c","Choose","choice",""]])") + "]"
        << QList<Operation>{operation({{QStringLiteral("c"), QStringLiteral("Choose"),
                                        QStringLiteral("choice"), QString()}})};
    QTest::newRow("a row of kind Choice needs no choices")
        << "[" + form(R"([["c","Choose","Choice"]])") + "]"
        << QList<Operation>{operation(
               {{QStringLiteral("c"), QStringLiteral("Choose"), QStringLiteral("Choice")}})};
    QTest::newRow("the same key in two forms")
        << "[" + form(R"([["k","Key"]])", "a") + "," + form(R"([["k","Key"]])", "b") + "]"
        << QList<Operation>{
               operation({{QStringLiteral("k"), QStringLiteral("Key")}}),
               operation({{QStringLiteral("k"), QStringLiteral("Key")}}, QStringLiteral("b"))};

    // Hostile input: what each gives is written down in docs/reliability.md.
    QTest::newRow("UTF-8 byte-order mark")
        << "\xEF\xBB\xBF[" + form("[]") + "]" << QList<Operation>{operation({})};
    QTest::newRow("member given twice: the last counts")
        << QByteArray(R"([{"id":"x","title":"T","info":"I","button":"B","fields":[],"id":"a"}])")
        << QList<Operation>{operation({})};
    Operation withNul = operation({});
    withNul.title = QStringLiteral("T") + QChar(0) + QStringLiteral("x");
    QTest::newRow("escaped NUL in a text")
        << QByteArray(R"([{"id":"a","title":"T\u0000x","info":"I","button":"B","fields":[]}])")
        << QList<Operation>{withNul};
    QTest::newRow("raw NUL byte in a text")
        << QByteArray(
               "[{\"id\":\"a\",\"title\":\"T\0x\",\"info\":\"I\",\"button\":\"B\",\"fields\":[]}]",
               62)
        << QList<Operation>{withNul};
    Operation withSurrogate = operation({});
    withSurrogate.title = QString(QChar(0xD800));
    QTest::newRow("lone surrogate escape")
        << QByteArray(R"([{"id":"a","title":"\ud800","info":"I","button":"B","fields":[]}])")
        << QList<Operation>{withSurrogate};

    const QByteArray longInfo(2000, 'i');
    QByteArray manyForms = "[";
    QList<Operation> many;
    for (int index = 0; index < 5000; ++index) {
        const QByteArray id = "f" + QByteArray::number(index);
        manyForms += QByteArray(index ? "," : "") + R"({"id":")" + id +
                     R"(","title":"T","info":")" + longInfo +
                     R"(","button":"B","fields":[["k","Key"]]})";
        many.append({QString::fromLatin1(id),
                     QStringLiteral("T"),
                     QString::fromLatin1(longInfo),
                     QStringLiteral("B"),
                     {{QStringLiteral("k"), QStringLiteral("Key")}}});
    }
    manyForms += "]";
    QTest::newRow("10 MB of forms") << manyForms << many;
    Operation huge = operation({});
    huge.info = QString(10'000'000, u'i');
    QTest::newRow("a 10 MB text") << R"([{"id":"a","title":"T","info":")" +
                                         QByteArray(10'000'000, 'i') +
                                         R"(","button":"B","fields":[]}])"
                                  << QList<Operation>{huge};
}

void CatalogueTest::decodes()
{
    QFETCH(QByteArray, json);
    QFETCH(QList<Operation>, expected);
    const auto decoded = Catalogue::decode(json);
    QVERIFY(decoded.has_value());
    QCOMPARE(*decoded, expected);
}

void CatalogueTest::rejects_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("forms");
    QTest::newRow("truncated") << QByteArray("[") + form("[]");
    QTest::newRow("trailing garbage") << "[" + form("[]") + "] x";
    QTest::newRow("top level object") << form("[]");
    QTest::newRow("top level string") << QByteArray(R"("[]")");
    QTest::newRow("element not an object") << QByteArray("[[]]");
    QTest::newRow("element null") << QByteArray("[null]");
    QTest::newRow("only form lacks info")
        << QByteArray(R"([{"id":"a","title":"T","button":"B","fields":[]}])");
    QTest::newRow("missing id") << QByteArray(
        R"([{"title":"T","info":"I","button":"B","fields":[]}])");
    QTest::newRow("missing fields")
        << QByteArray(R"([{"id":"a","title":"T","info":"I","button":"B"}])");
    QTest::newRow("null title") << QByteArray(
        R"([{"id":"a","title":null,"info":"I","button":"B","fields":[]}])");
    QTest::newRow("number button")
        << QByteArray(R"([{"id":"a","title":"T","info":"I","button":1,"fields":[]}])");
    QTest::newRow("boolean id") << QByteArray(
        R"([{"id":true,"title":"T","info":"I","button":"B","fields":[]}])");
    QTest::newRow("fields an object") << "[" + form("{}") + "]";
    QTest::newRow("fields a string") << "[" + form(R"("k")") + "]";
    QTest::newRow("row not an array") << "[" + form(R"(["k"])") + "]";
    QTest::newRow("number in a row of one form of many") << "[" + form(R"([["k","Key"]])", "a") +
                                                                "," + form(R"([["k",2]])", "b") +
                                                                "," + form("[]", "c") + "]";
    QTest::newRow("null in a row") << "[" + form(R"([["k","Key",null]])") + "]";
    QTest::newRow("nested array in a row") << "[" + form(R"([["k",["Key"]]])") + "]";
    QTest::newRow("invalid UTF-8") << "[" + form("[]", "\xff") + "]";
    // Forms the window could not lay out.
    QTest::newRow("empty row") << "[" + form("[[]]") + "]";
    QTest::newRow("row of one position") << "[" + form(R"([["k"]])") + "]";
    QTest::newRow("choice row without choices") << "[" + form(R"([["c","Choose","choice"]])") + "]";
    QTest::newRow("key twice in one form")
        << "[" + form(R"([["k","Key"],["k","Other","lines"]])") + "]";
    QTest::newRow("10,000 levels deep in an extra member")
        << R"([{"id":"a","title":"T","info":"I","button":"B","fields":[],"x":)" +
               QByteArray(10000, '[') + QByteArray(10000, ']') + "}]";
    QTest::newRow("10,000 levels deep at the top")
        << QByteArray(10000, '[') + QByteArray(10000, ']');
    QTest::newRow("10 MB with one bad form at the end")
        << "[" + (form("[]") + ",").repeated(100'000) + form(R"([["k"]])") + "]";
    QTest::newRow("NUL byte after the document") << "[" + form("[]") + "]" + QByteArray(1, '\0');
    QTest::newRow("key twice in one form, other rows between")
        << "[" + form(R"([["m","M"],["k","Key"],["a","A"],["z","Z"],["k","Other","lines"]])") + "]";
}

void CatalogueTest::rejects()
{
    QFETCH(QByteArray, json);
    QCOMPARE(Catalogue::decode(json), std::nullopt);
}

void CatalogueTest::loadsFromFile()
{
    const QString shipped = QStringLiteral(TARNWICK_SHIPPED_CATALOGUE);
    const QList<Operation> tasks = Catalogue::load(shipped);
    QVERIFY(!tasks.isEmpty());
    QCOMPARE(tasks.constFirst().id, QStringLiteral("setup-lan"));
    QCOMPARE(Catalogue::load(QStringLiteral("/nonexistent/actions.json")), QList<Operation>{});
}

void CatalogueTest::loadsEmptyOnUnreadableFile()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    // A directory cannot be read as a file, even by root.
    QCOMPARE(Catalogue::load(directory.path()), QList<Operation>{});
}

QTEST_GUILESS_MAIN(CatalogueTest)
#include "CatalogueTest.moc"

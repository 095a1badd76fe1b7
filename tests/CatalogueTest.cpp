#include "catalogue/Catalogue.h"

#include "catalogue/PaddedJson.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

Q_DECLARE_METATYPE(QList<Operation>)

class CatalogueTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void rejects_data();
    void rejects();
    void readsBytesWithoutOverrunningTheirBuffer();
    void loadsFromFile();
    void loadsEmptyOnUnreadableFile();
    void loadsFixtures_data();
    void loadsFixtures();
};

namespace {

QByteArray form(const QByteArray &fields, const QByteArray &id = "a")
{
    return R"({"id":")" + id + R"(","title":"T","info":"I","button":"B","fields":)" + fields + "}";
}

// One form whose title is the given bytes, between the quotes as they stand.
QByteArray titled(const QByteArray &title)
{
    return R"([{"id":"a","title":")" + title + R"(","info":"I","button":"B","fields":[]}])";
}

// One valid form with an extra member "x" whose value is the given bytes.
QByteArray withExtra(const QByteArray &value)
{
    return "[" + form("[]").chopped(1) + R"(,"x":)" + value + "}]";
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
    Operation withNul = operation({});
    withNul.title = QStringLiteral("T") + QChar(0) + QStringLiteral("x");
    QTest::newRow("escaped NUL in a text")
        << QByteArray(R"([{"id":"a","title":"T\u0000x","info":"I","button":"B","fields":[]}])")
        << QList<Operation>{withNul};
    Operation titledOperation = operation({});
    titledOperation.title = QStringLiteral("/\b\f\n\r\t\\\"\u001f");
    QTest::newRow("every escape JSON has")
        << titled(R"(\/\b\f\n\r\t\\\"\u001F)") << QList<Operation>{titledOperation};
    titledOperation.title = QStringLiteral("\U0001F600");
    QTest::newRow("surrogate pair escape")
        << titled(R"(\ud83d\uDE00)") << QList<Operation>{titledOperation};
    titledOperation.title = QStringLiteral("\x7f\u00e9\u20ac\U0001F600\uFFFF");
    QTest::newRow("raw DEL and non-ASCII UTF-8")
        << titled("\x7f\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xef\xbf\xbf")
        << QList<Operation>{titledOperation};
    titledOperation.title = QStringLiteral("\uFEFFT\uFEFF");
    QTest::newRow("U+FEFF starting a text, raw")
        << titled("\xEF\xBB\xBFT\xEF\xBB\xBF") << QList<Operation>{titledOperation};
    QTest::newRow("U+FEFF starting a text, escaped")
        << titled(R"(\uFEFFT\ufeff)") << QList<Operation>{titledOperation};
    QTest::newRow("member names written with escapes")
        << QByteArray(R"([{"\u0069d":"a","title":"T","info":"I","butto\u006e":"B","fields":[]}])")
        << QList<Operation>{operation({})};
    QTest::newRow("any JSON in an extra member")
        << withExtra(R"({"a":[0,-0,-1.5E+3,2e-2,true,false,null,"\ud83d\ude00"],"b":{},"c":[]})")
        << QList<Operation>{operation({})};
    QTest::newRow("number too small for a double in an extra member")
        << withExtra("1e-999") << QList<Operation>{operation({})};
    QTest::newRow("64-bit integers at their limits in an extra member")
        << withExtra("[18446744073709551615,-9223372036854775808,1.7976931348623157e308]")
        << QList<Operation>{operation({})};
    QTest::newRow("an extra member given twice")
        << "[" + form("[]").chopped(1) + R"(,"x":1,"x":{"y":1,"y":2}}])"
        << QList<Operation>{operation({})};

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

    // Members given twice: which one would count is not for a reader to guess.
    QTest::newRow("id given twice")
        << QByteArray(R"([{"id":"x","title":"T","info":"I","button":"B","fields":[],"id":"a"}])");
    QTest::newRow("fields given twice, both valid")
        << "[" + form("[]").chopped(1) + R"(,"fields":[]}])";
    QTest::newRow("title given twice, once written with an escape") << QByteArray(
        R"([{"id":"a","title":"T","info":"I","button":"B","fields":[],"t\u0069tle":"T"}])");

    // Malformed JSON, wherever it stands, fails the whole catalogue.
    QTest::newRow("unknown escape") << titled(R"(a\qb)");
    QTest::newRow("Windows path with single backslashes") << titled(R"(C:\Path)");
    QTest::newRow("escaped single quote") << titled(R"(it\'s)");
    QTest::newRow("upper-case \\U escape") << titled(R"(\U0041)");
    QTest::newRow("\\u escape of three digits") << titled(R"(\u00e)");
    QTest::newRow("\\u escape with a non-hex digit") << titled(R"(\u00g0)");
    QTest::newRow("backslash at the end of a text") << titled("T\\");
    QTest::newRow("unknown escape in an extra member") << withExtra(R"("\q")");
    QTest::newRow("unknown escape in a row") << "[" + form(R"([["k","a\xb"]])") + "]";
    QTest::newRow("raw NUL byte in a text") << titled(QByteArray("T\0x", 3));
    QTest::newRow("raw tab in a text") << titled("a\tb");
    QTest::newRow("raw line feed in a text") << titled("a\nb");
    QTest::newRow("raw U+001F in a text") << titled("a\x1f");
    QTest::newRow("raw control character in a member name")
        << "[" + form("[]").chopped(1) + ",\"x\x01\":1}]";
    QTest::newRow("raw control character in an extra member") << withExtra("\"\x01\"");
    QTest::newRow("lone high surrogate escape") << titled(R"(\ud800)");
    QTest::newRow("lone low surrogate escape") << titled(R"(\udc00)");
    QTest::newRow("high surrogate escape before a letter") << titled(R"(\ud800x)");
    QTest::newRow("two high surrogate escapes") << titled(R"(\ud800\ud800)");
    QTest::newRow("surrogate escapes in reverse order") << titled(R"(\udc00\ud800)");
    QTest::newRow("lone surrogate escape in a row") << "[" + form(R"([["k","\udfff"]])") + "]";
    QTest::newRow("lone surrogate escape in an extra member") << withExtra(R"("\ud800")");
    QTest::newRow("overlong UTF-8") << titled("\xc0\xaf");
    QTest::newRow("surrogate encoded in UTF-8") << titled("\xed\xa0\x80");
    QTest::newRow("truncated UTF-8 sequence") << titled("\xe2\x82");
    QTest::newRow("UTF-8 beyond U+10FFFF") << titled("\xf4\x90\x80\x80");
    QTest::newRow("invalid UTF-8 in an extra member") << withExtra("\"\xff\"");
    QTest::newRow("invalid UTF-8 before the document") << "\xff[" + form("[]") + "]";
    QTest::newRow("line comment") << "[" + form("[]") + "] // forms";
    QTest::newRow("block comment") << "[/* forms */" + form("[]") + "]";
    QTest::newRow("trailing comma after the last form") << "[" + form("[]") + ",]";
    QTest::newRow("trailing comma after the last member") << "[" + form("[]").chopped(1) + ",}]";
    QTest::newRow("trailing comma in a row") << "[" + form(R"([["k","Key",]])") + "]";
    QTest::newRow("missing comma between forms") << "[" + form("[]") + form("[]", "b") + "]";
    QTest::newRow("missing colon")
        << QByteArray(R"([{"id" "a","title":"T","info":"I","button":"B","fields":[]}])");
    QTest::newRow("single-quoted text")
        << QByteArray(R"([{"id":'a',"title":"T","info":"I","button":"B","fields":[]}])");
    QTest::newRow("unquoted member name")
        << QByteArray(R"([{id:"a","title":"T","info":"I","button":"B","fields":[]}])");
    QTest::newRow("NaN in an extra member") << withExtra("NaN");
    QTest::newRow("Infinity in an extra member") << withExtra("Infinity");
    QTest::newRow("leading zero in an extra member") << withExtra("01");
    QTest::newRow("hexadecimal number in an extra member") << withExtra("0x1");
    QTest::newRow("plus sign in an extra member") << withExtra("+1");
    QTest::newRow("number ending in a point in an extra member") << withExtra("1.");
    QTest::newRow("number starting with a point in an extra member") << withExtra(".5");
    QTest::newRow("misspelt true in an extra member") << withExtra("tru");
    QTest::newRow("number beyond double range in an extra member") << withExtra("1e999");
    QTest::newRow("negative number beyond double range in an extra member") << withExtra("-1e999");
    QTest::newRow("integer beyond 64 bits in an extra member") << withExtra("18446744073709551616");
    QTest::newRow("form feed as a blank") << "\f[" + form("[]") + "]";
    QTest::newRow("no-break space as a blank") << "[\xc2\xa0" + form("[]") + "]";
    QTest::newRow("UTF-16 byte-order mark") << "\xff\xfe[" + form("[]") + "]";
    QTest::newRow("UTF-8 byte-order mark twice") << "\xEF\xBB\xBF\xEF\xBB\xBF[" + form("[]") + "]";
    QTest::newRow("UTF-8 byte-order mark after a blank") << " \xEF\xBB\xBF[" + form("[]") + "]";
    QTest::newRow("only a byte-order mark") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("unterminated text") << QByteArray(R"([{"id":"a)");
    QTest::newRow("two arrays") << "[" + form("[]") + "][]";
}

void CatalogueTest::rejects()
{
    QFETCH(QByteArray, json);
    QCOMPARE(Catalogue::decode(json), std::nullopt);
}

void CatalogueTest::readsBytesWithoutOverrunningTheirBuffer()
{
    // The parser reads up to 64 bytes past the last one, so the bytes are
    // read in place only when that much of their own buffer follows them.
    const QByteArray document = "[" + form("[]") + "]";
    QByteArray shifted(4096 + document.size(), ' ');
    std::copy(document.cbegin(), document.cend(), shifted.begin() + 4096);
    shifted.remove(0, 4096);
    // capacity() counts the room freed before the bytes, none of it after.
    QVERIFY(shifted.capacity() - shifted.size() >= 4096);
    QVERIFY(!PaddedJson(shifted, 64).isBorrowed());

    QByteArray roomy = document;
    roomy.reserve(document.size() + 64);
    const PaddedJson inPlace(roomy, 64);
    QVERIFY(inPlace.isBorrowed());
    QCOMPARE(inPlace.data(), roomy.constData());

    const QByteArray borrowed = QByteArray::fromRawData(document.constData(), document.size());
    QVERIFY(!PaddedJson(borrowed, 64).isBorrowed());

    QByteArray marked = "\xEF\xBB\xBF" + document;
    marked.reserve(marked.size() + 64);
    const PaddedJson unmarked(marked, 64);
    QVERIFY(unmarked.isBorrowed());
    QCOMPARE(QByteArrayView(unmarked.data(), unmarked.size()), QByteArrayView(document));
    const QByteArray markedBorrowed = QByteArray::fromRawData(marked.constData(), marked.size());
    QCOMPARE(QByteArrayView(PaddedJson(markedBorrowed, 64).data(), document.size()),
             QByteArrayView(document));

    for (const QByteArray &json : {shifted, roomy, borrowed, marked, markedBorrowed})
        QCOMPARE(Catalogue::decode(json), QList<Operation>{operation({})});
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

void CatalogueTest::loadsFixtures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("valid") << QStringLiteral("valid.json")
                           << QStringList{QStringLiteral("status"), QStringLiteral("backup")};
    QTest::newRow("cut short") << QStringLiteral("malformed.json") << QStringList{};
    QTest::newRow("a path with single backslashes")
        << QStringLiteral("windows-path.json") << QStringList{};
}

void CatalogueTest::loadsFixtures()
{
    QFETCH(QString, name);
    QFETCH(QStringList, ids);
    const QString data = QStringLiteral(TARNWICK_TEST_DATA);
    const QString path = data + QStringLiteral("/catalogues/") + name;
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QStringList loaded;
    for (const Operation &operation : Catalogue::load(path))
        loaded.append(operation.id);
    QCOMPARE(loaded, ids);
}

QTEST_GUILESS_MAIN(CatalogueTest)
#include "CatalogueTest.moc"

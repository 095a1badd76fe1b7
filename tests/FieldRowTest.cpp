#include "catalogue/FieldRow.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FieldRow::Control)

class FieldRowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsRow_data();
    void readsRow();
    void control_data();
    void control();
};

void FieldRowTest::readsRow_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("defaultValue");
    QTest::addColumn<QStringList>("choices");

    QTest::newRow("two positions")
        << QStringList{u"k"_s, u"Key"_s} << u"text"_s << QString() << QStringList{QString()};
    QTest::newRow("kind without default") << QStringList{u"k"_s, u"Key"_s, u"lines"_s} << u"lines"_s
                                          << QString() << QStringList{QString()};
    QTest::newRow("empty kind stays empty") << QStringList{u"k"_s, u"Key"_s, QString()} << QString()
                                            << QString() << QStringList{QString()};
    QTest::newRow("text default without bar") << QStringList{u"k"_s, u"Key"_s, u"text"_s, u"8080"_s}
                                              << u"text"_s << u"8080"_s << QStringList{u"8080"_s};
    QTest::newRow("text default cut at the first bar")
        << QStringList{u"k"_s, u"Key"_s, u"text"_s, u"a|b"_s} << u"text"_s << u"a"_s
        << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("choice of two")
        << QStringList{u"r"_s, u"Role"_s, u"choice"_s, u"member|guest"_s} << u"choice"_s
        << u"member"_s << QStringList{u"member"_s, u"guest"_s};
    QTest::newRow("empty pieces are choices")
        << QStringList{u"r"_s, u"Role"_s, u"choice"_s, u"|a||b|"_s} << u"choice"_s << QString()
        << QStringList{QString(), u"a"_s, QString(), u"b"_s, QString()};
    QTest::newRow("empty choices give one empty choice")
        << QStringList{u"r"_s, u"Role"_s, u"choice"_s, QString()} << u"choice"_s << QString()
        << QStringList{QString()};
    QTest::newRow("positions past four are not read")
        << QStringList{u"r"_s, u"Role"_s, u"choice"_s, u"x|y"_s, u"z|w"_s, u"v"_s} << u"choice"_s
        << u"x"_s << QStringList{u"x"_s, u"y"_s};
}

void FieldRowTest::readsRow()
{
    QFETCH(QStringList, row);
    QFETCH(QString, kind);
    QFETCH(QString, defaultValue);
    QFETCH(QStringList, choices);

    const FieldRow field(row);
    QCOMPARE(field.key(), row.at(0));
    QCOMPARE(field.label(), row.at(1));
    QCOMPARE(field.kind(), kind);
    QCOMPARE(field.defaultValue(), defaultValue);
    QCOMPARE(field.choices(), choices);
}

void FieldRowTest::control_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<FieldRow::Control>("control");
    QTest::addColumn<bool>("picksPath");

    QTest::newRow("choice") << u"choice"_s << FieldRow::Control::Choice << false;
    QTest::newRow("Choice") << u"Choice"_s << FieldRow::Control::LineEdit << false;
    QTest::newRow("lan-address") << u"lan-address"_s << FieldRow::Control::AddressMenu << false;
    QTest::newRow("lines") << u"lines"_s << FieldRow::Control::Lines << false;
    QTest::newRow("LINES") << u"LINES"_s << FieldRow::Control::LineEdit << false;
    QTest::newRow("text") << u"text"_s << FieldRow::Control::LineEdit << false;
    QTest::newRow("empty") << QString() << FieldRow::Control::LineEdit << false;
    QTest::newRow("unknown") << u"colour"_s << FieldRow::Control::LineEdit << false;
    QTest::newRow("open") << u"open"_s << FieldRow::Control::LineEdit << true;
    QTest::newRow("save") << u"save"_s << FieldRow::Control::LineEdit << true;
    QTest::newRow("folder") << u"folder"_s << FieldRow::Control::LineEdit << true;
    QTest::newRow("Folder") << u"Folder"_s << FieldRow::Control::LineEdit << false;
    QTest::newRow("open with a blank") << u"open "_s << FieldRow::Control::LineEdit << false;
}

void FieldRowTest::control()
{
    QFETCH(QString, kind);
    QFETCH(FieldRow::Control, control);
    QFETCH(bool, picksPath);

    const FieldRow row({u"k"_s, u"Key"_s, kind, u"a|b"_s});
    QCOMPARE(row.control(), control);
    QCOMPARE(row.picksPath(), picksPath);
    QCOMPARE(row.picksFolder(), kind == u"folder");
    QCOMPARE(row.picksSaveTarget(), kind == u"save");
}

QTEST_GUILESS_MAIN(FieldRowTest)
#include "FieldRowTest.moc"

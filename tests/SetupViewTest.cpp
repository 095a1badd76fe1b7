#include "form/SetupView.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using Values = QMap<QString, QString>;
Q_DECLARE_METATYPE(QList<LocalAddress>)

class SetupViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithInitialState();
    void task_data();
    void task();
    void resetSeedsDefaults();
    void resetForgetsTypedValuesAndSharedKeys();
    void fieldValueReadsAndWrites();
    void signalsNameWhatChanged();
    void prefill_data();
    void prefill();
    void prefillKeepsOriginTypedBeforeDiscovery();
    void confirmationRule_data();
    void confirmationRule();
    void confirmationMessage_data();
    void confirmationMessage();
};

namespace {

Operation form(const QString &id, QList<QStringList> fields = {})
{
    return {id, u"Title "_s + id, u"Info"_s, u"Run "_s + id, std::move(fields)};
}

const LocalAddress v4{u"http://192.168.1.20:8080"_s, u"192.168.1.20"_s, u"en0"_s};
const LocalAddress v4b{u"http://10.0.0.2:8080"_s, u"10.0.0.2"_s, u"en1"_s};
const LocalAddress v6{u"http://[fd00::5]:8080"_s, u"fd00::5"_s, u"en0"_s};
const LocalAddress v6b{u"http://[fd00::6]:8080"_s, u"fd00::6"_s, u"en2"_s};

} // namespace

void SetupViewTest::startsWithInitialState()
{
    SetupView view({form(u"status"_s), form(u"backup"_s)});
    QCOMPARE(view.program(), ServerProgram::installedDirectory());
    QCOMPARE(view.selected(), u"status"_s);
    QVERIFY(view.addresses().isEmpty());
    QVERIFY(view.values().isEmpty());
    QCOMPARE(view.result(), QString());
    QVERIFY(!view.busy());
    QVERIFY(!view.confirm());

    SetupView empty({});
    QCOMPARE(empty.selected(), u"setup-lan"_s);
    QCOMPARE(empty.task(), Operation{});
}

void SetupViewTest::task_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("expected");

    QTest::newRow("first") << u"a"_s << 0;
    QTest::newRow("second") << u"b"_s << 1;
    QTest::newRow("unknown id gives the first form") << u"zzz"_s << 0;
    QTest::newRow("ids compare exactly") << u"B"_s << 0;
    QTest::newRow("two forms share an id: the first") << u"c"_s << 2;
}

void SetupViewTest::task()
{
    QFETCH(QString, selected);
    QFETCH(int, expected);
    const QList<Operation> tasks{form(u"a"_s), form(u"b"_s), form(u"c"_s, {{u"one"_s, u"One"_s}}),
                                 form(u"c"_s, {{u"two"_s, u"Two"_s}})};
    SetupView view(tasks);
    view.setSelected(selected);
    QCOMPARE(view.task(), tasks.at(expected));
}

void SetupViewTest::resetSeedsDefaults()
{
    SetupView view(
        {form(u"invite-person"_s, {{u"port"_s, u"Port"_s, u"text"_s, u"8080|8443"_s},
                                   {u"name"_s, u"Name"_s},
                                   {u"role"_s, u"Role"_s, u"choice"_s, u"member|guest"_s}})});
    view.reset();
    QCOMPARE(view.values(),
             (Values{{u"port"_s, u"8080"_s}, {u"name"_s, QString()}, {u"role"_s, u"member"_s}}));
    QCOMPARE(view.result(), QString());

    SetupView noRows({form(u"status"_s)});
    noRows.setFieldValue(u"stale"_s, u"x"_s);
    noRows.reset();
    QVERIFY(noRows.values().isEmpty());
}

void SetupViewTest::resetForgetsTypedValuesAndSharedKeys()
{
    SetupView view(
        {form(u"a"_s, {{u"id"_s, u"Id"_s, u"text"_s, u"first"_s}, {u"note"_s, u"Note"_s}}),
         form(u"b"_s, {{u"id"_s, u"Id"_s}})});
    view.reset();
    view.setFieldValue(u"id"_s, u"typed"_s);
    view.setFieldValue(u"note"_s, u"typed"_s);

    view.setSelected(u"b"_s);
    view.reset();
    QCOMPARE(view.values(), (Values{{u"id"_s, QString()}}));

    view.setSelected(u"a"_s);
    view.reset();
    QCOMPARE(view.values(), (Values{{u"id"_s, u"first"_s}, {u"note"_s, QString()}}));
}

void SetupViewTest::fieldValueReadsAndWrites()
{
    SetupView view({form(u"a"_s)});
    QCOMPARE(view.fieldValue(u"absent"_s), QString());
    QVERIFY(!view.values().contains(u"absent"_s));

    view.setFieldValue(u"absent"_s, QString());
    QVERIFY(view.values().contains(u"absent"_s));
    QCOMPARE(view.fieldValue(u"absent"_s), QString());

    view.setFieldValue(u"k"_s, u"line 1\nline \"2\" \u00e9"_s);
    QCOMPARE(view.fieldValue(u"k"_s), u"line 1\nline \"2\" \u00e9"_s);
    view.setFieldValue(u"k"_s, QString());
    QCOMPARE(view.values().value(u"k"_s, u"missing"_s), QString());
}

void SetupViewTest::signalsNameWhatChanged()
{
    SetupView view(
        {form(u"setup-lan"_s, {{u"origin"_s, u"Origin"_s, u"lan-address"_s}}), form(u"b"_s)});
    QSignalSpy reset(&view, &SetupView::valuesReset);
    QSignalSpy changed(&view, &SetupView::valueChanged);
    QSignalSpy selected(&view, &SetupView::selectedChanged);
    QSignalSpy addresses(&view, &SetupView::addressesChanged);
    QSignalSpy confirm(&view, &SetupView::confirmChanged);

    view.reset();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(changed.size(), 0);

    view.setFieldValue(u"origin"_s, u"x"_s);
    view.setFieldValue(u"origin"_s, u"x"_s);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), u"origin"_s);

    // A discovery result fills origin and bind, each reported on its own.
    view.setFieldValue(u"origin"_s, QString());
    changed.clear();
    view.setAddresses({v4});
    view.prefill();
    QCOMPARE(addresses.size(), 1);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).toString(), u"origin"_s);
    QCOMPARE(changed.at(1).at(0).toString(), u"bind"_s);

    view.setSelected(u"setup-lan"_s);
    QCOMPARE(selected.size(), 0);
    view.setSelected(u"b"_s);
    QCOMPARE(selected.size(), 1);

    view.setConfirm(true);
    view.setConfirm(true);
    QCOMPARE(confirm.size(), 1);
    QVERIFY(view.confirm());
}

void SetupViewTest::prefill_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QList<LocalAddress>>("addresses");
    QTest::addColumn<Values>("before");
    QTest::addColumn<Values>("after");

    const Values empty{{u"origin"_s, QString()}, {u"bind"_s, QString()}};
    const Values filled4{{u"origin"_s, v4.origin}, {u"bind"_s, v4.bind}};

    QTest::newRow("one v4 after a v6") << u"setup-lan"_s << QList{v6, v4} << empty << filled4;
    QTest::newRow("one v4 before a v6") << u"setup-lan"_s << QList{v4, v6} << empty << filled4;
    QTest::newRow("one v4 among several v6")
        << u"setup-lan"_s << QList{v6, v4, v6b} << empty << filled4;
    QTest::newRow("two v4: no fill") << u"setup-lan"_s << QList{v4, v4b, v6} << empty << empty;
    QTest::newRow("one v6 alone is filled")
        << u"setup-lan"_s << QList{v6} << empty
        << Values{{u"origin"_s, v6.origin}, {u"bind"_s, v6.bind}};
    QTest::newRow("two v6: no fill") << u"setup-lan"_s << QList{v6, v6b} << empty << empty;
    QTest::newRow("no addresses") << u"setup-lan"_s << QList<LocalAddress>{} << empty << empty;
    QTest::newRow("configure-lan too") << u"configure-lan"_s << QList{v4} << empty << filled4;
    QTest::newRow("other form: no keys added") << u"status"_s << QList{v4} << Values{} << Values{};
    QTest::newRow("origin absent counts as none")
        << u"setup-lan"_s << QList{v4} << Values{{u"name"_s, u"n"_s}}
        << Values{{u"name"_s, u"n"_s}, {u"origin"_s, v4.origin}, {u"bind"_s, v4.bind}};
    QTest::newRow("non-empty origin is never overwritten")
        << u"setup-lan"_s << QList{v4} << Values{{u"origin"_s, u"typed"_s}, {u"bind"_s, u"b"_s}}
        << Values{{u"origin"_s, u"typed"_s}, {u"bind"_s, u"b"_s}};
    QTest::newRow("bind is replaced together with origin")
        << u"setup-lan"_s << QList{v4}
        << Values{{u"origin"_s, QString()}, {u"bind"_s, u"0.0.0.0"_s}} << filled4;
    QTest::newRow("the selection is compared exactly")
        << u"Setup-lan"_s << QList{v4} << empty << empty;
}

void SetupViewTest::prefill()
{
    QFETCH(QString, selected);
    QFETCH(QList<LocalAddress>, addresses);
    QFETCH(Values, before);
    QFETCH(Values, after);

    SetupView view(
        {form(u"setup-lan"_s), form(u"configure-lan"_s), form(u"status"_s), form(u"Setup-lan"_s)});
    view.setSelected(selected);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        view.setFieldValue(it.key(), it.value());
    view.setAddresses(addresses);
    view.prefill();
    QCOMPARE(view.values(), after);
    QCOMPARE(view.addresses(), addresses);
}

void SetupViewTest::prefillKeepsOriginTypedBeforeDiscovery()
{
    // The catalogue default of an origin row counts as an origin; an origin
    // row without default is filled.
    SetupView withDefault(
        {form(u"setup-lan"_s, {{u"origin"_s, u"Origin"_s, u"lan-address"_s, u"http://server:80"_s},
                               {u"bind"_s, u"Bind"_s}})});
    withDefault.setAddresses({v4});
    withDefault.reset();
    QCOMPARE(withDefault.fieldValue(u"origin"_s), u"http://server:80"_s);
    QCOMPARE(withDefault.fieldValue(u"bind"_s), QString());

    SetupView view({form(u"setup-lan"_s, {{u"origin"_s, u"Origin"_s, u"lan-address"_s},
                                          {u"bind"_s, u"Bind"_s, u"text"_s, u"0.0.0.0"_s}})});
    view.reset();
    QCOMPARE(view.fieldValue(u"bind"_s), u"0.0.0.0"_s);
    view.setFieldValue(u"origin"_s, u"http://typed"_s);
    view.setAddresses({v4});
    view.prefill();
    QCOMPARE(view.values(), (Values{{u"origin"_s, u"http://typed"_s}, {u"bind"_s, u"0.0.0.0"_s}}));

    // Once the address is known, picking the form anew fills it in.
    view.setFieldValue(u"origin"_s, QString());
    view.reset();
    QCOMPARE(view.values(), (Values{{u"origin"_s, v4.origin}, {u"bind"_s, v4.bind}}));
}

void SetupViewTest::confirmationRule_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("asks");

    QTest::newRow("revoke-person") << u"revoke-person"_s << true;
    QTest::newRow("revoke-invitation") << u"revoke-invitation"_s << true;
    QTest::newRow("the prefix itself") << u"revoke-"_s << true;
    QTest::newRow("prefix in other case") << u"Revoke-person"_s << false;
    QTest::newRow("prefix not at start") << u"x-revoke-person"_s << false;
    QTest::newRow("prefix without hyphen") << u"revoke"_s << false;
    QTest::newRow("reinstate-person") << u"reinstate-person"_s << true;
    QTest::newRow("reinstate-person and a blank") << u"reinstate-person "_s << false;
    QTest::newRow("reinstate-persons") << u"reinstate-persons"_s << false;
    QTest::newRow("invite-person") << u"invite-person"_s << false;
    QTest::newRow("status") << u"status"_s << false;
}

void SetupViewTest::confirmationRule()
{
    QFETCH(QString, id);
    QFETCH(bool, asks);
    QCOMPARE(SetupView::needsConfirmation(id), asks);
}

void SetupViewTest::confirmationMessage_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<Values>("values");
    QTest::addColumn<QString>("message");

    QTest::newRow("reinstate: three lines")
        << u"reinstate-person"_s
        << Values{{u"id"_s, u"p-1"_s}, {u"role"_s, u"guest"_s}, {u"buildings"_s, u"A\nB"_s}}
        << u"p-1\nguest\nA\nB"_s;
    QTest::newRow("reinstate: missing role adds no line")
        << u"reinstate-person"_s << Values{{u"id"_s, u"p-1"_s}, {u"buildings"_s, u"A"_s}}
        << u"p-1\nA"_s;
    QTest::newRow("reinstate: empty role is an empty line")
        << u"reinstate-person"_s
        << Values{{u"id"_s, u"p-1"_s}, {u"role"_s, QString()}, {u"buildings"_s, u"A"_s}}
        << u"p-1\n\nA"_s;
    QTest::newRow("reinstate: none of the keys")
        << u"reinstate-person"_s << Values{{u"other"_s, u"x"_s}} << QString();
    QTest::newRow("revoke: the id")
        << u"revoke-person"_s << Values{{u"id"_s, u"p-7"_s}, {u"role"_s, u"guest"_s}} << u"p-7"_s;
    QTest::newRow("revoke: no id") << u"revoke-invitation"_s << Values{} << QString();
}

void SetupViewTest::confirmationMessage()
{
    QFETCH(QString, selected);
    QFETCH(Values, values);
    QFETCH(QString, message);

    SetupView view(
        {form(u"reinstate-person"_s), form(u"revoke-person"_s), form(u"revoke-invitation"_s)});
    view.setSelected(selected);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        view.setFieldValue(it.key(), it.value());
    QCOMPARE(view.confirmationMessage(), message);
}

QTEST_GUILESS_MAIN(SetupViewTest)
#include "SetupViewTest.moc"

#include "form/SetupView.h"

#include "FakeProgram.h"
#include "Processes.h"
#include "ScopedVariable.h"
#include "ScriptedChooser.h"
#include "TestFolder.h"
#include "TestForms.h"
#include "TestServices.h"
#include "UnprivilegedElevation.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

using namespace Qt::StringLiterals;

using Values = QMap<QString, QString>;
Q_DECLARE_METATYPE(QList<LocalAddress>)
Q_DECLARE_METATYPE(std::optional<QString>)

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

    void init();
    void cleanup();
    void performRunsInBackgroundAndHandsBack();
    void performSendsSnapshotAndLeavesFormAlone();
    void performReportsFailureAndEndsBusy_data();
    void performReportsFailureAndEndsBusy();
    void handBackIsDroppedWhenViewIsGone();
    void runsDoNotWaitForEachOther();
    void outputHeldOpenKeepsOnlyItsRunBusyForAWhile();
    void manyRunsLeaveNothingBehind();
    void discoveryReplacesAddressesAndPrefills();
    void failedDiscoveryChangesNothing_data();
    void failedDiscoveryChangesNothing();
    void browse_data();
    void browse();

private:
    std::unique_ptr<SetupView> makeView(const FakeProgram &program, QList<Operation> tasks = {});

    std::unique_ptr<TestFolder> m_folder;
};

namespace {

using TestForms::form;

const LocalAddress v4{u"http://192.168.1.20:8080"_s, u"192.168.1.20"_s, u"en0"_s};
const LocalAddress v4b{u"http://10.0.0.2:8080"_s, u"10.0.0.2"_s, u"en1"_s};
const LocalAddress v6{u"http://[fd00::5]:8080"_s, u"fd00::5"_s, u"en0"_s};
const LocalAddress v6b{u"http://[fd00::6]:8080"_s, u"fd00::6"_s, u"en2"_s};

} // namespace

void SetupViewTest::startsWithInitialState()
{
    SetupView view({form(u"status"_s), form(u"backup"_s)},
                   TestServices::forProgram(ServerProgram::installedDirectory()));
    QCOMPARE(view.program(), ServerProgram::installedDirectory());
    QCOMPARE(view.selected(), u"status"_s);
    QVERIFY(view.addresses().isEmpty());
    QVERIFY(view.values().isEmpty());
    QCOMPARE(view.result(), QString());
    QVERIFY(!view.busy());
    QVERIFY(!view.confirm());

    SetupView empty({}, TestServices::unused());
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
    SetupView view(tasks, TestServices::unused());
    view.setSelected(selected);
    QCOMPARE(view.task(), tasks.at(expected));
}

void SetupViewTest::resetSeedsDefaults()
{
    SetupView view(
        {form(u"invite-person"_s, {{u"port"_s, u"Port"_s, u"text"_s, u"8080|8443"_s},
                                   {u"name"_s, u"Name"_s},
                                   {u"role"_s, u"Role"_s, u"choice"_s, u"member|guest"_s}})},
        TestServices::unused());
    view.reset();
    QCOMPARE(view.values(),
             (Values{{u"port"_s, u"8080"_s}, {u"name"_s, QString()}, {u"role"_s, u"member"_s}}));
    QCOMPARE(view.result(), QString());

    SetupView noRows({form(u"status"_s)}, TestServices::unused());
    noRows.setFieldValue(u"stale"_s, u"x"_s);
    noRows.reset();
    QVERIFY(noRows.values().isEmpty());
}

void SetupViewTest::resetForgetsTypedValuesAndSharedKeys()
{
    SetupView view(
        {form(u"a"_s, {{u"id"_s, u"Id"_s, u"text"_s, u"first"_s}, {u"note"_s, u"Note"_s}}),
         form(u"b"_s, {{u"id"_s, u"Id"_s}})},
        TestServices::unused());
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
    SetupView view({form(u"a"_s)}, TestServices::unused());
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
        {form(u"setup-lan"_s, {{u"origin"_s, u"Origin"_s, u"lan-address"_s}}), form(u"b"_s)},
        TestServices::unused());
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
        {form(u"setup-lan"_s), form(u"configure-lan"_s), form(u"status"_s), form(u"Setup-lan"_s)},
        TestServices::unused());
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
                               {u"bind"_s, u"Bind"_s}})},
        TestServices::unused());
    withDefault.setAddresses({v4});
    withDefault.reset();
    QCOMPARE(withDefault.fieldValue(u"origin"_s), u"http://server:80"_s);
    QCOMPARE(withDefault.fieldValue(u"bind"_s), QString());

    SetupView view({form(u"setup-lan"_s, {{u"origin"_s, u"Origin"_s, u"lan-address"_s},
                                          {u"bind"_s, u"Bind"_s, u"text"_s, u"0.0.0.0"_s}})},
                   TestServices::unused());
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
        {form(u"reinstate-person"_s), form(u"revoke-person"_s), form(u"revoke-invitation"_s)},
        TestServices::unused());
    view.setSelected(selected);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        view.setFieldValue(it.key(), it.value());
    QCOMPARE(view.confirmationMessage(), message);
}

// Runs against a fake program without asking for rights, with request
// folders made in a temporary folder of the test's own.
std::unique_ptr<SetupView> SetupViewTest::makeView(const FakeProgram &program,
                                                   QList<Operation> tasks)
{
    if (tasks.isEmpty())
        tasks = {form(u"setup-lan"_s,
                      {{u"origin"_s, u"Origin"_s, u"lan-address"_s}, {u"bind"_s, u"Bind"_s}}),
                 form(u"invite-person"_s, {{u"name"_s, u"Name"_s, u"text"_s, u"Ada"_s}})};
    return std::make_unique<SetupView>(tasks, TestServices::forProgram(program.directory()));
}

void SetupViewTest::init()
{
    m_folder = std::make_unique<TestFolder>(TestFolder::Tmpdir::Set);
    QVERIFY(m_folder->isValid());
}

void SetupViewTest::cleanup()
{
    // Run keepers name their request folders in it.
    QCOMPARE(Processes::awaitNoneMentioning(m_folder->path()), QList<qint64>{});
    m_folder.reset();
}

void SetupViewTest::performRunsInBackgroundAndHandsBack()
{
    FakeProgram program;
    program.setManageScript("sleep 0.2; printf 'Tarnwick invite http://x/1\\nbye\\n'");
    auto view = makeView(program);
    view->reset();
    QSignalSpy busy(view.get(), &SetupView::busyChanged);
    QSignalSpy result(view.get(), &SetupView::resultChanged);

    view->perform();
    QVERIFY(view->busy());
    QCOMPARE(view->result(), u"Working\u2026"_s);
    QCOMPARE(view->result().toUtf8().size(), 10);
    QCOMPARE(view->invitation(), std::nullopt);

    QTRY_VERIFY(!view->busy());
    QCOMPARE(view->result(), u"Tarnwick invite http://x/1\nbye\n"_s);
    QCOMPARE(view->invitation(), std::optional(u"Tarnwick invite http://x/1"_s));
    QCOMPARE(busy.size(), 2);
    QCOMPARE(result.size(), 2);
    QCOMPARE(m_folder->requestFolders(), QStringList{});
}

void SetupViewTest::performSendsSnapshotAndLeavesFormAlone()
{
    FakeProgram program;
    program.setManageScript("sleep 0.3; cat \"$1\"");
    auto view = makeView(program);
    view->setSelected(u"invite-person"_s);
    view->reset();
    view->setAddresses({v4});
    view->setFieldValue(u"extra"_s, u"kept"_s);
    const Values before = view->values();

    view->perform();
    // Edits made while the run is under way do not reach its request.
    view->setFieldValue(u"name"_s, u"changed"_s);
    QTRY_VERIFY(!view->busy());

    const QJsonObject request = QJsonDocument::fromJson(view->result().toUtf8()).object();
    QCOMPARE(request.value(u"action"_s).toString(), u"invite-person"_s);
    QCOMPARE(request.value(u"values"_s).toObject().toVariantMap().size(), before.size());
    QCOMPARE(request.value(u"values"_s).toObject().value(u"name"_s).toString(), u"Ada"_s);
    QCOMPARE(request.value(u"values"_s).toObject().value(u"extra"_s).toString(), u"kept"_s);
    // The run neither reseeds nor prefills nor rediscovers.
    QCOMPARE(view->fieldValue(u"name"_s), u"changed"_s);
    QCOMPARE(view->fieldValue(u"extra"_s), u"kept"_s);
    QVERIFY(!view->values().contains(u"origin"_s));
    QCOMPARE(view->addresses(), QList{v4});
    QVERIFY(program.recordedArguments(u"tarnwick.mjs"_s).isEmpty());
}

void SetupViewTest::performReportsFailureAndEndsBusy_data()
{
    QTest::addColumn<QString>("temporary");
    QTest::addColumn<QString>("result");

    QTest::newRow("temporary folder missing")
        << u"missing"_s
        << u"Could not create the request folder: the temporary folder %1 does not exist"_s;
    // sysfs takes no new folders, not even from root.
    QTest::newRow("temporary folder takes no new folders")
        << u"/sys"_s << u"Could not create the request folder /sys/%2: Operation not permitted"_s;
}

void SetupViewTest::performReportsFailureAndEndsBusy()
{
    QFETCH(QString, temporary);
    QFETCH(QString, result);
    const QString path =
        QDir::isAbsolutePath(temporary) ? temporary : m_folder->filePath(temporary);
    FakeProgram program;
    auto view = makeView(program);
    const ScopedVariable tmpdir("TMPDIR", QFile::encodeName(path));
    view->perform();
    QTRY_VERIFY(!view->busy());
    // The folder's name is a fresh UUID; take it from the text.
    const QString name = view->result().section(u'/', -1).section(u':', 0, 0);
    QCOMPARE(view->result(), QString(result).replace(u"%1"_s, path).replace(u"%2"_s, name));
    QVERIFY(program.recordedRequest(u"manage.mjs"_s).isEmpty());
}

void SetupViewTest::handBackIsDroppedWhenViewIsGone()
{
    FakeProgram program;
    program.setManageScript("sleep 0.3; echo finished");
    auto view = makeView(program);
    view->perform();
    view->discoverAddresses();
    QTRY_VERIFY(!program.recordedRequest(u"manage.mjs"_s).isEmpty());
    view.reset();

    // The run still ends and cleans up; its hand-back finds no view and is dropped.
    QTRY_COMPARE(m_folder->requestFolders(), QStringList{});
    QTest::qWait(100);
}

void SetupViewTest::runsDoNotWaitForEachOther()
{
    // Runs waiting for a password must not hold up others; more runs block
    // here than any small thread pool would have threads.
    FakeProgram blocked;
    blocked.holdManageScript("released\\n");
    FakeProgram quick;
    quick.setManageScript("echo quick");
    quick.setServerScript(
        R"(printf '[{"origin":"http://10.0.0.2:8080","bind":"10.0.0.2","name":"eth0"}]')");

    std::vector<std::unique_ptr<SetupView>> waiting;
    for (int run = 0; run < 2 * QThread::idealThreadCount() + 2; ++run) {
        waiting.push_back(makeView(blocked));
        waiting.back()->perform();
    }
    auto view = makeView(quick);
    view->discoverAddresses();
    view->perform();
    QTRY_VERIFY(!view->busy());
    QCOMPARE(view->result(), u"quick\n"_s);
    QTRY_COMPARE(view->addresses().size(), 1);
    for (const auto &other : waiting)
        QVERIFY(other->busy());

    QVERIFY(blocked.release());
    for (const auto &other : waiting)
        QTRY_COMPARE(other->result(), u"released\n"_s);
    QTRY_COMPARE(m_folder->requestFolders(), QStringList{});
}

void SetupViewTest::outputHeldOpenKeepsOnlyItsRunBusyForAWhile()
{
    // The script ends at once but leaves a child that holds the output open
    // and never writes.
    FakeProgram stuck;
    stuck.setManageScript("echo started; sleep 600 & echo $! > \"$(dirname \"$0\")/pid\"");
    const QString pidFile = stuck.directory() + u"/desktop/pid"_s;
    FakeProgram quick;
    quick.setManageScript("echo quick");
    auto view = makeView(stuck);
    auto other = makeView(quick);

    view->perform();
    QTRY_VERIFY(QFileInfo(pidFile).size() > 0);
    // The event loop goes on: timers fire and another run comes and goes.
    bool fired = false;
    QTimer::singleShot(50, this, [&fired] { fired = true; });
    other->perform();
    QTRY_VERIFY(fired && !other->busy());
    QCOMPARE(other->result(), u"quick\n"_s);
    QTest::qWait(200);
    QVERIFY(view->busy());
    QCOMPARE(view->result(), u"Working\u2026"_s);
    // The action itself has ended, and its request with it.
    QTRY_COMPARE(m_folder->requestFolders(), QStringList{});

    // Once the output has been quiet for a while, the run ends with all it
    // printed, although the child is still there.
    QTRY_VERIFY_WITH_TIMEOUT(!view->busy(), 15000);
    QCOMPARE(view->result(), u"started\n"_s);

    QFile file(pidFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const pid_t writer = pid_t(file.readAll().trimmed().toInt());
    QVERIFY(writer > 0);
    QCOMPARE(::kill(writer, SIGKILL), 0);
    QTRY_COMPARE(Processes::mentioning(stuck.directory()), QList<qint64>{});
}

void SetupViewTest::manyRunsLeaveNothingBehind()
{
    // Each descriptor with what it refers to, so a leak shows what leaked.
    const auto openDescriptors = [] {
        QStringList open;
        const QDir folder(u"/proc/self/fd"_s);
        for (const QString &fd : folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            open.append(fd + u" -> "_s + QFile::symLinkTarget(folder.filePath(fd)));
        return open;
    };
    FakeProgram program;
    program.setManageScript("echo ok");
    auto view = makeView(program);
    // One run first, so what the toolkit opens once is in the starting set.
    view->perform();
    QTRY_VERIFY(!view->busy());
    const QStringList before = openDescriptors();

    QSignalSpy busy(view.get(), &SetupView::busyChanged);
    for (int run = 0; run < 200; ++run) {
        view->perform();
        // The hand-back's busyChanged, not a polling interval, ends the wait.
        QVERIFY(busy.wait(10000));
        QVERIFY(!view->busy());
        QCOMPARE(view->result(), u"ok\n"_s);
    }
    QCOMPARE(m_folder->requestFolders(), QStringList{});
    // The last worker thread may still be closing its own event descriptor
    // just after its hand-back; give it a moment to end.
    QStringList after = openDescriptors();
    for (int wait = 0; wait < 100 && after != before; ++wait) {
        QTest::qWait(20);
        after = openDescriptors();
    }
    QVERIFY2(after == before,
             qPrintable(u"now: "_s + after.join(u", "_s) + u"\nbefore: "_s + before.join(u", "_s)));
}

void SetupViewTest::discoveryReplacesAddressesAndPrefills()
{
    FakeProgram program;
    program.setServerScript(
        R"(printf '[{"origin":"http://[fd00::5]:8080","bind":"fd00::5","name":"eth0"},{"origin":"http://10.0.0.2:8080","bind":"10.0.0.2","name":"eth0"}]')");
    auto view = makeView(program);
    view->reset();
    QCOMPARE(view->fieldValue(u"origin"_s), QString());
    view->discoverAddresses();
    QVERIFY(view->addresses().isEmpty());
    QTRY_COMPARE(view->addresses().size(), 2);
    QCOMPARE(view->addresses().at(0).bind, u"fd00::5"_s);
    QCOMPARE(view->fieldValue(u"origin"_s), u"http://10.0.0.2:8080"_s);
    QCOMPARE(view->fieldValue(u"bind"_s), u"10.0.0.2"_s);

    // An empty listing replaces the list too.
    program.setServerScript("printf '[]'");
    QSignalSpy changed(view.get(), &SetupView::addressesChanged);
    view->discoverAddresses();
    QTRY_COMPARE(changed.size(), 1);
    QVERIFY(view->addresses().isEmpty());
    QCOMPARE(view->fieldValue(u"origin"_s), u"http://10.0.0.2:8080"_s);
}

void SetupViewTest::failedDiscoveryChangesNothing_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("withNode");

    QTest::newRow("node missing") << QByteArray() << false;
    QTest::newRow("one malformed element")
        << QByteArray(R"(printf '[{"origin":"o","bind":"b","name":"n"},{"origin":"o"}]')") << true;
    QTest::newRow("only noise on the error stream") << QByteArray("echo '[]' >&2") << true;
}

void SetupViewTest::failedDiscoveryChangesNothing()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, withNode);
    FakeProgram program;
    program.setServerScript(script + "; echo done > \"$(dirname \"$0\")/finished\"");
    if (!withNode)
        QVERIFY(QFile::remove(program.directory() + u"/node"_s));
    auto view = makeView(program);
    view->reset();
    view->setAddresses({v4b, v6});
    QSignalSpy addresses(view.get(), &SetupView::addressesChanged);
    QSignalSpy values(view.get(), &SetupView::valueChanged);

    view->discoverAddresses();
    if (withNode)
        QTRY_VERIFY(QFile::exists(program.directory() + u"/server/finished"_s));
    QTest::qWait(200);
    QCOMPARE(addresses.size(), 0);
    QCOMPARE(values.size(), 0);
    QCOMPARE(view->addresses(), (QList{v4b, v6}));
}

void SetupViewTest::browse_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("mode");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("value");

    const QString typed = u"typed by hand"_s;
    QTest::newRow("save picks a new file")
        << QStringList{u"file"_s, u"Backup file"_s, u"save"_s} << true
        << int(PathChooser::Mode::Save) << std::optional(u"/home/a/new backup.json"_s)
        << u"/home/a/new backup.json"_s;
    QTest::newRow("open picks a file")
        << QStringList{u"file"_s, u"Backup file"_s, u"open"_s} << false
        << int(PathChooser::Mode::OpenFile) << std::optional(u"/tmp/b.json"_s) << u"/tmp/b.json"_s;
    QTest::newRow("folder picks a folder")
        << QStringList{u"file"_s, u"Data folder"_s, u"folder"_s} << false
        << int(PathChooser::Mode::OpenFolder) << std::optional(u"/srv/data"_s) << u"/srv/data"_s;
    QTest::newRow("cancel keeps the typed text")
        << QStringList{u"file"_s, u"Backup file"_s, u"open"_s} << false
        << int(PathChooser::Mode::OpenFile) << std::optional<QString>() << typed;
    QTest::newRow("the caller decides on saving")
        << QStringList{u"file"_s, u"Backup file"_s, u"folder"_s} << true
        << int(PathChooser::Mode::Save) << std::optional(u"/x"_s) << u"/x"_s;
}

void SetupViewTest::browse()
{
    QFETCH(QStringList, row);
    QFETCH(bool, save);
    QFETCH(int, mode);
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, value);

    SetupView view({form(u"backup"_s, {row})}, TestServices::unused());
    auto chooser = std::make_shared<ScriptedChooser>(answer);
    view.setChooser(chooser);
    view.setFieldValue(u"file"_s, u"typed by hand"_s);
    view.browse(row, save);
    QCOMPARE(chooser->asked.size(), 1);
    QCOMPARE(int(chooser->asked.constFirst().first), mode);
    QCOMPARE(chooser->asked.constFirst().second, row.at(1));
    QCOMPARE(view.fieldValue(u"file"_s), value);

    // A row without a kind is refused without asking.
    view.browse({u"file"_s, u"Backup file"_s}, false);
    QCOMPARE(chooser->asked.size(), 1);
}

QTEST_GUILESS_MAIN(SetupViewTest)
#include "SetupViewTest.moc"

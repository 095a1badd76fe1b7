#include "window/FormWidget.h"

#include "Confirmation.h"
#include "FakeProgram.h"
#include "TestFolder.h"
#include "TestForms.h"
#include "TestServices.h"
#include "catalogue/Catalogue.h"
#include "form/SetupView.h"
#include "window/MainWindow.h"
#include "window/ResultBox.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

using namespace Qt::StringLiterals;

using Values = QMap<QString, QString>;

class FormWidgetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void laysOutColumnInOrder();
    void keepsSizes();
    void longInfoIsNeverCut_data();
    void longInfoIsNeverCut();
    void opensWithoutScrollBar();
    void focusShowsWholeControl();
    void wheelLeavesDropDowns();
    void pickerListsEachIdOnce();
    void accessibleEditReachesRequest_data();
    void accessibleEditReachesRequest();
    void firstShowingResetsThenDiscovers();
    void pickingAnotherFormResets();
    void runButtonFollowsConfirmationRule_data();
    void runButtonFollowsConfirmationRule();
    void alertShowsFormTextsAndValues();
    void cancelRunsNothingConfirmRunsOnce();
    void busyDisablesInputButNotResult();
    void copyButtonFollowsInvitation();
    void showsTextsAsWritten();
    void showsHostileTextsWithoutHarm();
    void tabOrderRunsTopToBottom();

private:
    void makeForm(QList<Operation> tasks);
    QPushButton *runButton() const { return m_form->findChild<QPushButton *>(u"runButton"_s); }
    int runCount() const;

    std::unique_ptr<FakeProgram> m_program;
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<SetupView> m_view;
    std::unique_ptr<FormWidget> m_form;
};

namespace {

using TestForms::form;

const QList<Operation> catalogue{
    form(u"setup-lan"_s,
         {{u"origin"_s, u"Server address"_s, u"lan-address"_s}, {u"bind"_s, u"Listen on"_s}}),
    form(u"invite-person"_s, {{u"name"_s, u"Name"_s, u"text"_s, u"Ada"_s},
                              {u"role"_s, u"Role"_s, u"choice"_s, u"member|guest"_s},
                              {u"buildings"_s, u"Buildings"_s, u"lines"_s}}),
    form(u"reinstate-person"_s,
         {{u"id"_s, u"Person"_s},
          {u"role"_s, u"Role"_s, u"choice"_s, u"member|guest"_s},
          {u"buildings"_s, u"Buildings"_s, u"lines"_s}},
         u"Reinstate"_s),
    form(u"revoke-person"_s, {{u"id"_s, u"Person"_s}}, u"Revoke"_s),
    form(u"revoke-"_s),
    form(u"Revoke-person"_s),
    form(u"x-revoke-person"_s),
    form(u"reinstate-person "_s),
    form(u"reinstate-persons"_s),
    form(u"status"_s),
};

} // namespace

void FormWidgetTest::init()
{
    m_program = std::make_unique<FakeProgram>();
    QVERIFY(m_program->isValid());
    // Each run appends a line, so tests can count runs.
    m_program->setManageScript("echo run >> \"$(dirname \"$0\")/runs\"; echo done");
    m_program->setServerScript(
        R"(printf '[{"origin":"http://10.0.0.2:8080","bind":"10.0.0.2","name":"eth0"}]')");
    m_folder = std::make_unique<TestFolder>(TestFolder::Tmpdir::Set);
    QVERIFY(m_folder->isValid());
}

void FormWidgetTest::cleanup()
{
    m_form.reset();
    m_view.reset();
    // The program first: it waits for what still runs from it.
    m_program.reset();
    m_folder.reset();
}

void FormWidgetTest::makeForm(QList<Operation> tasks)
{
    m_view = std::make_unique<SetupView>(std::move(tasks),
                                         TestServices::forProgram(m_program->directory()));
    m_form = std::make_unique<FormWidget>(*m_view);
}

int FormWidgetTest::runCount() const
{
    QFile runs(m_program->directory() + u"/desktop/runs"_s);
    if (!runs.open(QIODevice::ReadOnly))
        return 0;
    return int(runs.readAll().count('\n'));
}

void FormWidgetTest::laysOutColumnInOrder()
{
    makeForm(catalogue);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));

    auto *picker = m_form->findChild<QComboBox *>(u"picker"_s);
    auto *info = m_form->findChild<QScrollArea *>(u"infoArea"_s);
    auto *area = m_form->findChild<QScrollArea *>(u"formArea"_s);
    auto *copy = m_form->findChild<QPushButton *>(u"copyButton"_s);
    auto *result = m_form->findChild<ResultBox *>(u"resultBox"_s);
    auto *label = m_form->findChild<QLabel *>(u"pickerLabel"_s);

    // Left-aligned at the 18-point margin, 12 points between children.
    QCOMPARE(label->text(), u"Operation"_s);
    QCOMPARE(label->buddy(), picker);
    QCOMPARE(label->x(), 18);
    QCOMPARE(info->y() - (picker->y() + picker->height()), 12);
    QCOMPARE(info->x(), 18);
    QCOMPARE(area->x(), 18);
    QCOMPARE(runButton()->x(), 18);
    QCOMPARE(result->x(), 18);
    QCOMPARE(area->y() - (info->y() + info->height()), 12);
    QCOMPARE(runButton()->y() - (area->y() + area->height()), 12);
    QVERIFY(!copy->isVisible());
    QCOMPARE(result->y() - (runButton()->y() + runButton()->height()), 12);
    QCOMPARE(m_form->height() - (result->y() + result->height()), 18);
    QCOMPARE(m_form->width() - (result->x() + result->width()), 18);
    QCOMPARE(runButton()->width(), runButton()->sizeHint().width());

    // The copy button takes its place, with its gap, only when present.
    m_program->setManageScript("echo 'Tarnwick invite http://x/1'");
    QTest::mouseClick(runButton(), Qt::LeftButton);
    QTRY_VERIFY(copy->isVisible());
    QTRY_COMPARE(copy->y() - (runButton()->y() + runButton()->height()), 12);
    QCOMPARE(copy->x(), 18);
    QCOMPARE(result->y() - (copy->y() + copy->height()), 12);
}

void FormWidgetTest::keepsSizes()
{
    makeForm(catalogue);
    m_form->resize(100, 100);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QVERIFY(m_form->width() >= 520);
    QVERIFY(m_form->height() >= 530);
    auto *result = m_form->findChild<ResultBox *>(u"resultBox"_s);
    QCOMPARE(result->sizeHint().height(), 140);
    QVERIFY(result->height() >= 85 && result->height() <= 210);
    QCOMPARE(result->backgroundRole(), QPalette::Base);
    QCOMPARE(result->document()->documentMargin(), 8.0);

    QCOMPARE(result->height(), 140);
    // The form area takes what is left over; the box stays in its bounds.
    auto *area = m_form->findChild<QScrollArea *>(u"formArea"_s);
    const int areaHeight = area->height();
    m_form->resize(520, 2000);
    QTRY_VERIFY(area->height() > areaHeight + 1000);
    const int tallHeight = result->height();
    QVERIFY(tallHeight >= 85 && tallHeight <= 210);
    // A long result scrolls inside the box, which does not grow.
    m_view->setSelected(u"status"_s);
    m_program->setManageScript("seq 1 500");
    m_view->perform();
    QTRY_VERIFY(!m_view->busy());
    QCOMPARE(result->height(), tallHeight);
    QVERIFY(result->verticalScrollBar()->maximum() > 0);
}

void FormWidgetTest::longInfoIsNeverCut_data()
{
    QTest::addColumn<int>("sentences");
    QTest::addColumn<bool>("fitsOnScreen");

    QTest::newRow("60 sentences") << 60 << true;
    QTest::newRow("2000 sentences") << 2000 << false;
}

void FormWidgetTest::longInfoIsNeverCut()
{
    QFETCH(int, sentences);
    QFETCH(bool, fitsOnScreen);
    QString info;
    for (int sentence = 1; sentence <= sentences; ++sentence)
        info += u"Sentence %1 explains a little more about this form. "_s.arg(sentence);
    QList<Operation> tasks = catalogue;
    tasks[1].info = info;
    makeForm(tasks);
    m_view->setSelected(u"invite-person"_s);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    // At the least size the window can be given.
    m_form->resize(520, 530);
    QTRY_COMPARE(m_form->size(), m_form->minimumSize());

    auto *infoArea = m_form->findChild<QScrollArea *>(u"infoArea"_s);
    auto *text = m_form->findChild<QLabel *>(u"info"_s);
    auto *area = m_form->findChild<QScrollArea *>(u"formArea"_s);
    auto *result = m_form->findChild<ResultBox *>(u"resultBox"_s);
    const int room = m_form->screen()->availableGeometry().height();
    QVERIFY(m_form->frameGeometry().height() <= room);
    // The column keeps its order and gaps; the form area gives way.
    QCOMPARE(area->y() - (infoArea->y() + infoArea->height()), 12);
    QVERIFY(result->height() >= 85);
    QCOMPARE(text->height(), text->heightForWidth(text->width()));
    if (fitsOnScreen) {
        QVERIFY(m_form->height() > 530);
        // Every line on screen, none of it scrolled away.
        QCOMPARE(infoArea->verticalScrollBar()->maximum(), 0);
        QCOMPARE(infoArea->height(), text->height());
        QCOMPARE(text->visibleRegion().boundingRect(), text->rect());
        QCOMPARE(text->width(), m_form->width() - 36);
    } else {
        // As tall as the screen allows; the rest of the text scrolls.
        QCOMPARE(m_form->frameGeometry().height(), room);
        QVERIFY(infoArea->height() > room / 2);
        QCOMPARE(infoArea->verticalScrollBar()->maximum(), text->height() - infoArea->height());
    }

    // Back to a short text, the window may be small again.
    m_view->setSelected(u"setup-lan"_s);
    QTRY_COMPARE(m_form->minimumSize(), QSize(520, 530));
    QCOMPARE(infoArea->height(), text->heightForWidth(text->width()));
}

void FormWidgetTest::opensWithoutScrollBar()
{
    const QString shipped = QStringLiteral(TARNWICK_SHIPPED_CATALOGUE);
    QVERIFY2(QFileInfo(shipped).isFile(), "TARNWICK_SHIPPED_CATALOGUE names no catalogue file");
    MainWindow window(Catalogue::load(shipped), TestServices::forProgram(m_program->directory()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *form = window.findChild<FormWidget *>();
    QVERIFY(form->width() >= 520);
    QVERIFY(form->height() >= 530);
    QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    QCOMPARE(window.findChild<ResultBox *>(u"resultBox"_s)->height(), 140);

    // Whichever form is picked, all of it shows without scrolling.
    auto *picker = window.findChild<QComboBox *>(u"picker"_s);
    auto *area = window.findChild<QScrollArea *>(u"formArea"_s);
    auto *rows = area->widget();
    for (int index = 0; index < picker->count(); ++index) {
        window.setupView()->setSelected(picker->itemData(index).toString());
        QTRY_VERIFY(rows->findChild<QWidget *>() == nullptr ||
                    rows->findChild<QWidget *>()->isVisible());
        QVERIFY2(area->verticalScrollBar()->maximum() == 0,
                 qPrintable(u"%1 scrolls by %2"_s.arg(window.setupView()->selected())
                                .arg(area->verticalScrollBar()->maximum())));
        QVERIFY(!area->verticalScrollBar()->isVisible());
        for (const QWidget *control : rows->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY(rows->rect().contains(control->geometry()));
    }
    QCOMPARE(window.setupView()->selected(), u"status"_s);

    // Nor once a run has made an invitation and its copy button shows.
    m_program->setManageScript("echo 'Tarnwick invite http://x/1'");
    window.setupView()->setSelected(u"invite-person"_s);
    window.setupView()->perform();
    QTRY_VERIFY(window.findChild<QPushButton *>(u"copyButton"_s)->isVisible());
    QTRY_COMPARE(area->verticalScrollBar()->maximum(), 0);
    QVERIFY(!area->verticalScrollBar()->isVisible());
}

void FormWidgetTest::focusShowsWholeControl()
{
    QList<QStringList> rows;
    for (int row = 0; row < 12; ++row)
        rows.append({u"line%1"_s.arg(row), u"Line %1"_s.arg(row)});
    rows.append({u"buildings"_s, u"Buildings"_s, u"lines"_s});
    makeForm({form(u"long"_s, rows)});
    m_form->resize(520, 530);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    auto *area = m_form->findChild<QScrollArea *>(u"formArea"_s);
    QVERIFY(area->verticalScrollBar()->maximum() > 0);

    QList<QLineEdit *> edits = m_form->findChildren<QLineEdit *>();
    edits.constLast()->setFocus();
    QTest::keyClick(edits.constLast(), Qt::Key_Tab);
    auto *box = m_form->findChild<QPlainTextEdit *>(u"lines"_s);
    QTRY_VERIFY(box->hasFocus());
    const QRect shown(box->mapTo(area->viewport(), QPoint()), box->size());
    QVERIFY2(area->viewport()->rect().contains(shown),
             qPrintable(u"box at %1, %2 high, in %3"_s.arg(shown.y())
                            .arg(shown.height())
                            .arg(area->viewport()->height())));
}

namespace {

// A turn of the mouse wheel over the middle of a widget, delivered as the
// window system delivers one.
void turnWheel(QWidget *over, int notches)
{
    QWidget *window = over->window();
    const QPoint centre = over->rect().center();
    QWindowSystemInterface::handleWheelEvent(window->windowHandle(), over->mapTo(window, centre),
                                             over->mapToGlobal(centre), QPoint(),
                                             QPoint(0, -120 * notches));
    QCoreApplication::processEvents();
}

} // namespace

void FormWidgetTest::wheelLeavesDropDowns()
{
    QList<QStringList> rows;
    for (int row = 0; row < 8; ++row)
        rows.append({u"line%1"_s.arg(row), u"Line %1"_s.arg(row)});
    rows.append({u"role"_s, u"Role"_s, u"choice"_s, u"member|manager|guest"_s});
    for (int row = 8; row < 16; ++row)
        rows.append({u"line%1"_s.arg(row), u"Line %1"_s.arg(row)});
    makeForm({form(u"long"_s, rows), form(u"other"_s)});
    m_form->resize(520, 530);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    auto *picker = m_form->findChild<QComboBox *>(u"picker"_s);
    auto *area = m_form->findChild<QScrollArea *>(u"formArea"_s);
    auto *role = m_form->findChild<QComboBox *>(u"choice"_s);
    QLineEdit *first = m_form->findChild<QLineEdit *>();
    first->setFocus();
    QTest::keyClicks(first, u"typed"_s);
    const Values values = m_view->values();

    // Over the form picker: the form and what was typed stay.
    turnWheel(picker, 1);
    turnWheel(picker, -2);
    QCOMPARE(m_view->selected(), u"long"_s);
    QCOMPARE(picker->currentIndex(), 0);
    QCOMPARE(m_view->values(), values);
    QVERIFY(!picker->hasFocus());

    // Over a drop-down in the form: the form scrolls, the choice stays.
    area->ensureWidgetVisible(role, 0, 0);
    const int scrolled = area->verticalScrollBar()->value();
    turnWheel(role, 2);
    QCOMPARE(m_view->fieldValue(u"role"_s), u"member"_s);
    QCOMPARE(role->currentIndex(), 0);
    QVERIFY(!role->hasFocus());
    QVERIFY(area->verticalScrollBar()->value() > scrolled);
    QCOMPARE(m_view->values(), values);

    // Focus left by a click is no wish to turn it with the wheel either;
    // the keys still step through its items.
    area->ensureWidgetVisible(role, 0, 0);
    QTest::mouseClick(picker, Qt::LeftButton);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(picker->hasFocus());
    turnWheel(picker, 1);
    QCOMPARE(m_view->selected(), u"long"_s);
    role->setFocus();
    turnWheel(role, 1);
    QCOMPARE(m_view->fieldValue(u"role"_s), u"member"_s);
    QTest::keyClick(role, Qt::Key_Down);
    QCOMPARE(m_view->fieldValue(u"role"_s), u"manager"_s);
    QCOMPARE(m_view->fieldValue(u"line0"_s), u"typed"_s);
}

void FormWidgetTest::pickerListsEachIdOnce()
{
    // A catalogue that loads although one id is there twice.
    makeForm({form(u"a"_s),
              form(u"b"_s),
              {u"a"_s, u"Twin of a"_s, u"Twin"_s, u"Run twin"_s, {}},
              form(u"c"_s),
              form(u"d"_s)});
    m_form->show();
    auto *picker = m_form->findChild<QComboBox *>(u"picker"_s);
    QStringList titles;
    for (int index = 0; index < picker->count(); ++index)
        titles.append(picker->itemText(index));
    QCOMPARE(titles,
             (QStringList{u"Title of a"_s, u"Title of b"_s, u"Title of c"_s, u"Title of d"_s}));

    picker->setFocus();
    QStringList reached{m_view->selected()};
    for (int step = 0; step < 4; ++step) {
        QTest::keyClick(picker, Qt::Key_Down);
        reached.append(m_view->selected());
    }
    QCOMPARE(reached, (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"d"_s}));
    for (int step = 0; step < 3; ++step)
        QTest::keyClick(picker, Qt::Key_Up);
    QCOMPARE(m_view->selected(), u"a"_s);
    QCOMPARE(m_form->findChild<QLabel *>(u"info"_s)->text(), u"About a"_s);
}

void FormWidgetTest::accessibleEditReachesRequest_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("one-line box") << u"Name"_s << u"name"_s << u"Grace Hopper"_s;
    QTest::newRow("multi-line box") << u"Buildings"_s << u"buildings"_s << u"North Hall\nAnnex"_s;
}

void FormWidgetTest::accessibleEditReachesRequest()
{
    QFETCH(QString, label);
    QFETCH(QString, key);
    QFETCH(QString, value);
    makeForm(catalogue);
    m_view->setSelected(u"invite-person"_s);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QWidget *box = nullptr;
    for (QWidget *control : m_form->findChildren<QWidget *>()) {
        if (control->accessibleName() == label &&
            (qobject_cast<QLineEdit *>(control) || qobject_cast<QPlainTextEdit *>(control)))
            box = control;
    }
    QVERIFY(box);

    // What a voice-control tool does through the accessibility bridge.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
    QVERIFY(accessible && accessible->editableTextInterface() && accessible->textInterface());
    accessible->editableTextInterface()->replaceText(
        0, accessible->textInterface()->characterCount(), value);
    QCOMPARE(accessible->textInterface()->text(0, accessible->textInterface()->characterCount()),
             value);

    QTest::mouseClick(runButton(), Qt::LeftButton);
    QTRY_COMPARE(m_view->result(), u"done\n"_s);
    const QJsonObject sent = QJsonDocument::fromJson(m_program->recordedRequest(u"manage.mjs"_s))
                                 .object()
                                 .value(u"values"_s)
                                 .toObject();
    QCOMPARE(sent.value(key).toString(), value);
}

void FormWidgetTest::firstShowingResetsThenDiscovers()
{
    makeForm(catalogue);
    QVERIFY(m_view->values().isEmpty());
    QVERIFY(m_program->recordedArguments(u"tarnwick.mjs"_s).isEmpty());

    m_form->show();
    QCOMPARE(m_view->values(), (Values{{u"origin"_s, QString()}, {u"bind"_s, QString()}}));
    QTRY_COMPARE(m_view->fieldValue(u"origin"_s), u"http://10.0.0.2:8080"_s);
    QCOMPARE(m_view->fieldValue(u"bind"_s), u"10.0.0.2"_s);
    const auto edits = m_form->findChildren<QLineEdit *>();
    QCOMPARE(edits.at(0)->text(), u"http://10.0.0.2:8080"_s);

    // Showing again neither reseeds nor rediscovers.
    QFile::remove(m_program->directory() + u"/record/tarnwick.mjs/arguments"_s);
    m_view->setFieldValue(u"bind"_s, u"typed"_s);
    m_form->hide();
    m_form->show();
    QTest::qWait(200);
    QCOMPARE(m_view->fieldValue(u"bind"_s), u"typed"_s);
    QVERIFY(m_program->recordedArguments(u"tarnwick.mjs"_s).isEmpty());
}

void FormWidgetTest::pickingAnotherFormResets()
{
    makeForm(catalogue);
    m_form->show();
    QTRY_VERIFY(!m_view->addresses().isEmpty());
    auto *picker = m_form->findChild<QComboBox *>(u"picker"_s);
    auto *info = m_form->findChild<QLabel *>(u"info"_s);

    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down);
    QCOMPARE(m_view->selected(), u"invite-person"_s);
    QCOMPARE(info->text(), u"About invite-person"_s);
    QCOMPARE(runButton()->text(), u"Run invite-person"_s);
    QCOMPARE(
        m_view->values(),
        (Values{{u"name"_s, u"Ada"_s}, {u"role"_s, u"member"_s}, {u"buildings"_s, QString()}}));
    QCOMPARE(m_form->findChild<QLineEdit *>()->text(), u"Ada"_s);

    m_form->findChild<QLineEdit *>()->setText(QString());
    QTest::keyClicks(m_form->findChild<QLineEdit *>(), u"Grace"_s);
    m_view->perform();
    QTRY_COMPARE(m_view->result(), u"done\n"_s);
    // The run leaves the values; picking the form already on screen changes nothing.
    QCOMPARE(m_view->fieldValue(u"name"_s), u"Grace"_s);
    picker->activated(picker->currentIndex());
    QCOMPARE(m_view->fieldValue(u"name"_s), u"Grace"_s);
    QCOMPARE(m_view->result(), u"done\n"_s);

    // Another form, then back: defaults again, and the result is gone.
    QTest::keyClick(picker, Qt::Key_Up);
    QCOMPARE(m_view->result(), QString());
    QCOMPARE(m_view->fieldValue(u"origin"_s), u"http://10.0.0.2:8080"_s);
    QTest::keyClick(picker, Qt::Key_Down);
    QCOMPARE(m_view->fieldValue(u"name"_s), u"Ada"_s);
}

void FormWidgetTest::runButtonFollowsConfirmationRule_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("asks");

    // Which ids ask is SetupViewTest::confirmationRule's table; here, that
    // the button follows the rule either way.
    QTest::newRow("a form that asks") << u"revoke-person"_s << true;
    QTest::newRow("a form that does not") << u"status"_s << false;
}

void FormWidgetTest::runButtonFollowsConfirmationRule()
{
    QFETCH(QString, id);
    QFETCH(bool, asks);
    makeForm(catalogue);
    m_form->show();
    m_view->setSelected(id);

    QTest::mouseClick(runButton(), Qt::LeftButton);
    QCOMPARE(m_view->confirm(), asks);
    QCOMPARE(m_view->busy(), !asks);
    if (asks) {
        QMessageBox *alert = waitForConfirmation(*m_form);
        QVERIFY(alert);
        alert->reject();
    }
    QTRY_VERIFY(!m_view->busy());
    QCOMPARE(runCount(), asks ? 0 : 1);
}

void FormWidgetTest::alertShowsFormTextsAndValues()
{
    makeForm(catalogue);
    m_form->show();
    m_view->setSelected(u"reinstate-person"_s);
    m_view->setFieldValue(u"id"_s, u"p-<b>1</b>"_s);
    m_view->setFieldValue(u"buildings"_s, u"North\nSouth"_s);

    QTest::mouseClick(runButton(), Qt::LeftButton);
    QMessageBox *alert = waitForConfirmation(*m_form);
    QVERIFY(alert);
    QCOMPARE(alert->windowTitle(), u"Reinstate?"_s);
    QCOMPARE(alert->text(), u"Reinstate?"_s);
    QCOMPARE(alert->textFormat(), Qt::PlainText);
    QCOMPARE(alert->informativeText(), u"p-<b>1</b>\nmember\nNorth\nSouth"_s);
    const auto *informative = alert->findChild<QLabel *>(u"qt_msgbox_informativelabel"_s);
    QVERIFY(informative);
    QCOMPARE(informative->textFormat(), Qt::PlainText);

    const QList<QAbstractButton *> buttons = alert->buttons();
    QCOMPARE(buttons.size(), 2);
    auto *cancel = alert->findChild<QPushButton *>(u"cancelButton"_s);
    auto *confirm = alert->findChild<QPushButton *>(u"confirmButton"_s);
    QCOMPARE(cancel->text(), u"Cancel"_s);
    QCOMPARE(alert->buttonRole(cancel), QMessageBox::RejectRole);
    QCOMPARE(alert->escapeButton(), cancel);
    QCOMPARE(confirm->text(), u"Reinstate"_s);
    QCOMPARE(alert->buttonRole(confirm), QMessageBox::DestructiveRole);
    alert->reject();
    QTRY_VERIFY(!m_view->confirm());

    // Other guarded forms show the id alone, or nothing when there is none.
    m_view->setSelected(u"revoke-"_s);
    QTest::mouseClick(runButton(), Qt::LeftButton);
    alert = waitForConfirmation(*m_form);
    QVERIFY(alert);
    QCOMPARE(alert->windowTitle(), u"Run revoke-?"_s);
    QCOMPARE(alert->informativeText(), QString());
    alert->reject();
}

void FormWidgetTest::cancelRunsNothingConfirmRunsOnce()
{
    makeForm(catalogue);
    m_form->show();
    m_view->setSelected(u"revoke-person"_s);
    m_view->setFieldValue(u"id"_s, u"p-3"_s);
    const Values values = m_view->values();

    QTest::mouseClick(runButton(), Qt::LeftButton);
    QMessageBox *alert = waitForConfirmation(*m_form);
    QVERIFY(alert);
    QTest::keyClick(alert, Qt::Key_Escape);
    QTRY_VERIFY(!m_view->confirm());
    QTest::qWait(200);
    QCOMPARE(runCount(), 0);
    QCOMPARE(m_view->values(), values);
    QCOMPARE(m_view->result(), QString());
    QVERIFY(!m_view->busy());

    QTest::mouseClick(runButton(), Qt::LeftButton);
    alert = waitForConfirmation(*m_form);
    QVERIFY(alert);
    QTest::mouseClick(alert->findChild<QPushButton *>(u"confirmButton"_s), Qt::LeftButton);
    QVERIFY(!m_view->confirm());
    QTRY_COMPARE(m_view->result(), u"done\n"_s);
    QTest::qWait(200);
    QCOMPARE(runCount(), 1);
    QCOMPARE(QJsonDocument::fromJson(m_program->recordedRequest(u"manage.mjs"_s))
                 .object()
                 .value(u"values"_s)
                 .toObject()
                 .value(u"id"_s)
                 .toString(),
             u"p-3"_s);
}

void FormWidgetTest::busyDisablesInputButNotResult()
{
    m_program->holdManageScript("finished\\n");
    makeForm(catalogue);
    m_form->show();
    m_view->setSelected(u"invite-person"_s);
    m_view->setFieldValue(u"name"_s, u"Typed"_s);
    auto *picker = m_form->findChild<QComboBox *>(u"picker"_s);
    auto *area = m_form->findChild<QScrollArea *>(u"formArea"_s);
    auto *indicator = m_form->findChild<QProgressBar *>(u"busyIndicator"_s);
    auto *result = m_form->findChild<ResultBox *>(u"resultBox"_s);
    QVERIFY(!indicator->isVisible());

    QTest::mouseClick(runButton(), Qt::LeftButton);
    QVERIFY(m_view->busy());
    QVERIFY(!picker->isEnabled());
    QVERIFY(!area->isEnabled());
    QVERIFY(!m_form->findChild<QLineEdit *>()->isEnabled());
    QVERIFY(!runButton()->isEnabled());
    QVERIFY(indicator->isVisible());
    QCOMPARE(indicator->maximum(), 0);
    QVERIFY(result->isEnabled());
    QCOMPARE(result->toPlainText(), u"Working\u2026"_s);
    QVERIFY(!m_form->findChild<QPushButton *>(u"copyButton"_s)->isVisible());
    result->selectAll();
    QCOMPARE(result->textCursor().selectedText(), u"Working\u2026"_s);

    QVERIFY(m_program->release());
    QTRY_VERIFY(!m_view->busy());
    QVERIFY(picker->isEnabled());
    QVERIFY(area->isEnabled());
    QVERIFY(runButton()->isEnabled());
    QVERIFY(!indicator->isVisible());
    QCOMPARE(result->toPlainText(), u"finished\n"_s);
    QCOMPARE(m_view->fieldValue(u"name"_s), u"Typed"_s);
}

void FormWidgetTest::copyButtonFollowsInvitation()
{
    m_program->setManageScript("printf 'Created.\\r\\nTarnwick invite http://10.0.0.2:8080/i/abc "
                               "\\nTarnwick invite second\\n'");
    makeForm(catalogue);
    m_form->show();
    m_view->setSelected(u"invite-person"_s);
    auto *copy = m_form->findChild<QPushButton *>(u"copyButton"_s);
    QVERIFY(!copy->isVisible());
    QCOMPARE(copy->text(), u"Copy personal invitation"_s);

    QApplication::clipboard()->setText(u"old"_s);
    QTest::mouseClick(runButton(), Qt::LeftButton);
    QTRY_VERIFY(copy->isVisible());
    QTest::mouseClick(copy, Qt::LeftButton);
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QCOMPARE(data->formats(), QStringList{u"text/plain"_s});
    QCOMPARE(data->text(), u"Tarnwick invite http://10.0.0.2:8080/i/abc "_s);

    // Picking another form empties the result, and the button goes.
    auto *picker = m_form->findChild<QComboBox *>(u"picker"_s);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down);
    QVERIFY(!copy->isVisible());
}

void FormWidgetTest::showsTextsAsWritten()
{
    makeForm({{u"a"_s, u"<b>Title</b>"_s, u"<i>info</i> & more"_s, u"&Run <b>it</b>"_s, {}}});
    m_form->show();
    auto *info = m_form->findChild<QLabel *>(u"info"_s);
    QCOMPARE(info->textFormat(), Qt::PlainText);
    QCOMPARE(info->text(), u"<i>info</i> & more"_s);
    QCOMPARE(m_form->findChild<QComboBox *>(u"picker"_s)->currentText(), u"<b>Title</b>"_s);
    // The ampersand is shown rather than taken for a shortcut mark.
    QCOMPARE(QAccessible::queryAccessibleInterface(runButton())->text(QAccessible::Name),
             u"&Run <b>it</b>"_s);
}

void FormWidgetTest::showsHostileTextsWithoutHarm()
{
    // What a catalogue may hold and still decode: NUL, lone surrogates and
    // very long texts.
    const QString nul = u"Ti"_s + QChar(0) + u"tle"_s;
    const QString lone = u"info "_s + QChar(0xD800) + u" end "_s + QChar(0xDC00);
    const QString longInfo = u"word "_s.repeated(200'000);
    makeForm({{u"a"_s, nul, lone, u"Run"_s, {{u"k"_s, nul}}},
              {u"b"_s, u"Long"_s, longInfo, u"Run"_s, {{u"k"_s, QString(100'000, u'x')}}}});
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(m_form->findChild<QComboBox *>(u"picker"_s)->currentText(), nul);
    QCOMPARE(m_form->findChild<QLabel *>(u"info"_s)->text(), lone);
    QVERIFY(!m_form->grab().isNull());

    m_view->setSelected(u"b"_s);
    QTRY_COMPARE(m_form->findChild<QLabel *>(u"info"_s)->text(), longInfo);
    QVERIFY(!m_form->grab().isNull());
}

void FormWidgetTest::tabOrderRunsTopToBottom()
{
    makeForm(catalogue);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_view->setSelected(u"invite-person"_s);
    auto *picker = m_form->findChild<QComboBox *>(u"picker"_s);
    picker->setFocus();
    QTRY_VERIFY(m_form->findChild<QLineEdit *>()->isVisible());

    QStringList order;
    for (int step = 0; step < 6; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        order.append(focused->accessibleName().isEmpty() ? focused->objectName()
                                                         : focused->accessibleName());
    }
    QCOMPARE(order, (QStringList{u"Name"_s, u"Role"_s, u"Buildings"_s, u"runButton"_s, u"Result"_s,
                                 u"Operation"_s}));
}

QTEST_MAIN(FormWidgetTest)
#include "FormWidgetTest.moc"

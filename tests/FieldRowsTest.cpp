#include "window/FieldRows.h"

#include "ScriptedChooser.h"
#include "form/SetupView.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QString>)

class FieldRowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlsByKind_data();
    void controlsByKind();
    void choiceOffersEveryPiece_data();
    void choiceOffersEveryPiece();
    void choiceKeepsUnknownValue();
    void typingKeepsFocusAndCursor();
    void outsideChangeUpdatesOnlyItsControls();
    void addressMenuWritesOriginThenBind();
    void linesBoxKeepsBreaksAndHeight();
    void browseAsksChooserByKind_data();
    void browseAsksChooserByKind();
    void showsCatalogueTextsAsWritten();
    void rebuildsOnlyOnRebuild();

private:
    static std::unique_ptr<SetupView> viewOf(QList<QStringList> rows);
};

namespace {

// The children of the rows' layout after each heading, described by type.
QStringList shapeOf(const FieldRows &rows)
{
    QStringList shape;
    auto *layout = qobject_cast<QVBoxLayout *>(rows.layout());
    for (int index = 0; index < layout->count(); ++index) {
        QLayoutItem *item = layout->itemAt(index);
        if (QLayout *line = item->layout()) {
            // The path line: the box, then the button to its right.
            shape.append(QString::fromLatin1(line->itemAt(0)->widget()->metaObject()->className()) +
                         u'+' + qobject_cast<QPushButton *>(line->itemAt(1)->widget())->text());
            continue;
        }
        if (item->widget()->objectName() != u"heading")
            shape.append(QString::fromLatin1(item->widget()->metaObject()->className()));
    }
    return shape;
}

} // namespace

std::unique_ptr<SetupView> FieldRowsTest::viewOf(QList<QStringList> rows)
{
    auto view = std::make_unique<SetupView>(
        QList<Operation>{{u"form"_s, u"Form"_s, u"Info"_s, u"Run"_s, std::move(rows)}});
    view->reset();
    return view;
}

void FieldRowsTest::controlsByKind_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QStringList>("shape");

    const QString browse = u"Browse\u2026"_s;
    QTest::newRow("two positions") << QStringList{u"k"_s, u"Key"_s} << QStringList{u"QLineEdit"_s};
    QTest::newRow("text") << QStringList{u"k"_s, u"Key"_s, u"text"_s}
                          << QStringList{u"QLineEdit"_s};
    QTest::newRow("choice") << QStringList{u"k"_s, u"Key"_s, u"choice"_s, u"a|b"_s}
                            << QStringList{u"QComboBox"_s};
    QTest::newRow("Choice is text")
        << QStringList{u"k"_s, u"Key"_s, u"Choice"_s, u"a|b"_s} << QStringList{u"QLineEdit"_s};
    QTest::newRow("lan-address") << QStringList{u"origin"_s, u"Key"_s, u"lan-address"_s}
                                 << QStringList{u"QPushButton"_s, u"QLineEdit"_s};
    QTest::newRow("lines") << QStringList{u"k"_s, u"Key"_s, u"lines"_s}
                           << QStringList{u"QPlainTextEdit"_s};
    QTest::newRow("open") << QStringList{u"k"_s, u"Key"_s, u"open"_s}
                          << QStringList{u"QLineEdit+"_s + browse};
    QTest::newRow("save") << QStringList{u"k"_s, u"Key"_s, u"save"_s}
                          << QStringList{u"QLineEdit+"_s + browse};
    QTest::newRow("folder") << QStringList{u"k"_s, u"Key"_s, u"folder"_s}
                            << QStringList{u"QLineEdit+"_s + browse};
    QTest::newRow("Open is text") << QStringList{u"k"_s, u"Key"_s, u"Open"_s}
                                  << QStringList{u"QLineEdit"_s};
    QTest::newRow("unknown kind") << QStringList{u"k"_s, u"Key"_s, u"colour"_s, u"red"_s}
                                  << QStringList{u"QLineEdit"_s};
}

void FieldRowsTest::controlsByKind()
{
    QFETCH(QStringList, row);
    QFETCH(QStringList, shape);
    auto view = viewOf({row});
    FieldRows rows(*view);
    rows.resize(400, 300);
    rows.show();

    auto *layout = qobject_cast<QVBoxLayout *>(rows.layout());
    QCOMPARE(layout->spacing(), 10);
    QCOMPARE(layout->contentsMargins(), QMargins(2, 2, 2, 2));
    auto *heading = qobject_cast<QLabel *>(layout->itemAt(0)->widget());
    QVERIFY(heading);
    QCOMPARE(heading->text(), row.at(1));
    QCOMPARE(heading->textFormat(), Qt::PlainText);
    QCOMPARE(shapeOf(rows), shape);

    // Every one-line box shows the label as placeholder; the other
    // controls are named by the label for assistive technology.
    QWidget *buddy = heading->buddy();
    QVERIFY(buddy);
    QCOMPARE(buddy->accessibleName(), row.at(1));
    // Screen readers find the heading as the control's label.
    const auto labels = QAccessible::queryAccessibleInterface(buddy)->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.constFirst().first->object(), heading);
    for (const QLineEdit *edit : rows.findChildren<QLineEdit *>())
        QCOMPARE(edit->placeholderText(), row.at(1));
    for (const QPlainTextEdit *box : rows.findChildren<QPlainTextEdit *>())
        QCOMPARE(box->placeholderText(), QString());
    for (const QPushButton *button : rows.findChildren<QPushButton *>(u"browse"_s))
        QCOMPARE(button->accessibleName(), u"Browse\u2026 "_s + row.at(1));
}

void FieldRowsTest::choiceOffersEveryPiece_data()
{
    QTest::addColumn<QString>("choices");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("two") << u"member|guest"_s << QStringList{u"member"_s, u"guest"_s};
    QTest::newRow("no bar") << u"only"_s << QStringList{u"only"_s};
    QTest::newRow("empty") << QString() << QStringList{QString()};
    QTest::newRow("trailing bar") << u"a|"_s << QStringList{u"a"_s, QString()};
    QTest::newRow("leading and double bars")
        << u"|a||b"_s << QStringList{QString(), u"a"_s, QString(), u"b"_s};
    QTest::newRow("markup is text") << u"<b>x</b>|&y"_s << QStringList{u"<b>x</b>"_s, u"&y"_s};
}

void FieldRowsTest::choiceOffersEveryPiece()
{
    QFETCH(QString, choices);
    QFETCH(QStringList, items);
    auto view = viewOf({{u"role"_s, u"Role"_s, u"choice"_s, choices}});
    FieldRows rows(*view);
    auto *box = rows.findChild<QComboBox *>();
    QVERIFY(box);

    QStringList shown;
    for (int index = 0; index < box->count(); ++index)
        shown.append(box->itemText(index));
    QCOMPARE(shown, items);
    // The default is the first piece, shown as chosen.
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(view->fieldValue(u"role"_s), items.constFirst());

    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QCOMPARE(view->fieldValue(u"role"_s), items.constLast());
}

void FieldRowsTest::choiceKeepsUnknownValue()
{
    auto view = viewOf({{u"role"_s, u"Role"_s, u"choice"_s, u"member|guest"_s}});
    FieldRows rows(*view);
    auto *box = rows.findChild<QComboBox *>();
    view->setFieldValue(u"role"_s, u"owner"_s);
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(view->fieldValue(u"role"_s), u"owner"_s);
    view->setFieldValue(u"role"_s, u"guest"_s);
    QCOMPARE(box->currentText(), u"guest"_s);
}

void FieldRowsTest::typingKeepsFocusAndCursor()
{
    auto view = viewOf({{u"name"_s, u"Name"_s}, {u"email"_s, u"E-mail"_s}});
    FieldRows rows(*view);
    rows.show();
    QVERIFY(QTest::qWaitForWindowActive(&rows));
    auto edits = rows.findChildren<QLineEdit *>();
    QCOMPARE(edits.size(), 2);
    QLineEdit *name = edits.at(0);
    name->setFocus();
    QSignalSpy changed(view.get(), &SetupView::valueChanged);

    QTest::keyClicks(name, u"Ada"_s);
    QCOMPARE(changed.size(), 3);
    QCOMPARE(view->fieldValue(u"name"_s), u"Ada"_s);
    QTest::keyClick(name, Qt::Key_Left);
    QTest::keyClicks(name, u"x"_s);
    QCOMPARE(view->fieldValue(u"name"_s), u"Adxa"_s);
    QCOMPARE(name->cursorPosition(), 3);
    QVERIFY(name->hasFocus());
    QCOMPARE(rows.findChildren<QLineEdit *>().constFirst(), name);

    // Return stores nothing further.
    changed.clear();
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(changed.size(), 0);
}

void FieldRowsTest::outsideChangeUpdatesOnlyItsControls()
{
    auto view = viewOf({{u"origin"_s, u"Origin"_s}, {u"bind"_s, u"Bind"_s}});
    FieldRows rows(*view);
    rows.show();
    QVERIFY(QTest::qWaitForWindowActive(&rows));
    auto edits = rows.findChildren<QLineEdit *>();
    QLineEdit *origin = edits.at(0);
    QLineEdit *bind = edits.at(1);
    origin->setFocus();
    QTest::keyClicks(origin, u"http://typed"_s);
    origin->setSelection(2, 3);

    view->setFieldValue(u"bind"_s, u"10.0.0.2"_s);
    QCOMPARE(bind->text(), u"10.0.0.2"_s);
    QCOMPARE(origin->selectedText(), u"tp:"_s);
    QVERIFY(origin->hasFocus());
}

void FieldRowsTest::addressMenuWritesOriginThenBind()
{
    auto view = viewOf({{u"lan"_s, u"Address"_s, u"lan-address"_s},
                        {u"origin"_s, u"Origin"_s},
                        {u"bind"_s, u"Bind"_s}});
    FieldRows rows(*view);
    auto *menuButton = rows.findChild<QPushButton *>(u"addressMenu"_s);
    QVERIFY(menuButton);
    QCOMPARE(menuButton->text(), u"Choose a network interface"_s);
    QVERIFY(!menuButton->isEnabled());
    auto *own = rows.findChildren<QLineEdit *>().constFirst();
    QVERIFY(own->isEnabled());
    QTest::keyClicks(own, u"typed"_s);
    QCOMPARE(view->fieldValue(u"lan"_s), u"typed"_s);

    view->setAddresses({{u"http://10.0.0.2:8080"_s, u"10.0.0.2"_s, u"eth0"_s},
                        {u"http://[fd00::5]:8080"_s, u"fd00::5"_s, u"A&B"_s}});
    QVERIFY(menuButton->isEnabled());
    const QList<QAction *> items = menuButton->menu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(0)->text(), u"eth0 \u00b7 http://10.0.0.2:8080"_s);
    // An ampersand in a name is shown, not taken for a shortcut mark.
    QCOMPARE(items.at(1)->iconText(), u"A&B \u00b7 http://[fd00::5]:8080"_s);

    QSignalSpy changed(view.get(), &SetupView::valueChanged);
    items.at(1)->trigger();
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).toString(), u"origin"_s);
    QCOMPARE(changed.at(1).at(0).toString(), u"bind"_s);
    QCOMPARE(view->fieldValue(u"lan"_s), u"typed"_s);
    QCOMPARE(own->text(), u"typed"_s);
    QCOMPARE(rows.findChildren<QLineEdit *>().at(1)->text(), u"http://[fd00::5]:8080"_s);
    QCOMPARE(rows.findChildren<QLineEdit *>().at(2)->text(), u"fd00::5"_s);

    view->setAddresses({});
    QVERIFY(!menuButton->isEnabled());
}

void FieldRowsTest::linesBoxKeepsBreaksAndHeight()
{
    auto view = viewOf({{u"buildings"_s, u"Buildings"_s, u"lines"_s}, {u"after"_s, u"After"_s}});
    FieldRows rows(*view);
    rows.show();
    QVERIFY(QTest::qWaitForWindowActive(&rows));
    auto *box = rows.findChild<QPlainTextEdit *>();
    QCOMPARE(box->height(), 52);
    QVERIFY(box->tabChangesFocus());
    QCOMPARE(box->lineWidth(), 1);

    box->setFocus();
    QTest::keyClicks(box, u"North"_s);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, u"South"_s);
    QCOMPARE(view->fieldValue(u"buildings"_s), u"North\nSouth"_s);

    view->setFieldValue(u"buildings"_s, QString(u"Hall\n"_s).repeated(40));
    QCOMPARE(box->height(), 52);
    QCOMPARE(box->toPlainText(), QString(u"Hall\n"_s).repeated(40));

    // Showing a value that holds CR does not rewrite the stored value.
    view->setFieldValue(u"buildings"_s, u"A\r\nB"_s);
    QCOMPARE(view->fieldValue(u"buildings"_s), u"A\r\nB"_s);

    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(rows.findChild<QLineEdit *>()->hasFocus());
}

void FieldRowsTest::browseAsksChooserByKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("value");

    QTest::newRow("save") << u"save"_s << int(PathChooser::Mode::Save)
                          << std::optional(u"/tmp/new.json"_s) << u"/tmp/new.json"_s;
    QTest::newRow("open") << u"open"_s << int(PathChooser::Mode::OpenFile)
                          << std::optional(u"/tmp/a b.json"_s) << u"/tmp/a b.json"_s;
    QTest::newRow("folder") << u"folder"_s << int(PathChooser::Mode::OpenFolder)
                            << std::optional(u"/srv"_s) << u"/srv"_s;
    QTest::newRow("cancelled") << u"open"_s << int(PathChooser::Mode::OpenFile)
                               << std::optional<QString>() << u"typed"_s;
}

void FieldRowsTest::browseAsksChooserByKind()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, value);
    auto view = viewOf({{u"file"_s, u"Backup file"_s, kind}});
    auto chooser = std::make_shared<ScriptedChooser>(answer);
    view->setChooser(chooser);
    FieldRows rows(*view);
    auto *edit = rows.findChild<QLineEdit *>();
    QTest::keyClicks(edit, u"typed"_s);

    QTest::mouseClick(rows.findChild<QPushButton *>(u"browse"_s), Qt::LeftButton);
    QCOMPARE(chooser->asked.size(), 1);
    QCOMPARE(int(chooser->asked.constFirst().first), mode);
    QCOMPARE(chooser->asked.constFirst().second, u"Backup file"_s);
    QCOMPARE(view->fieldValue(u"file"_s), value);
    QCOMPARE(edit->text(), value);
}

void FieldRowsTest::showsCatalogueTextsAsWritten()
{
    auto view = viewOf({{u"k"_s, u"<b>Tom</b> & Jerry"_s}});
    FieldRows rows(*view);
    auto *heading = rows.findChild<QLabel *>(u"heading"_s);
    QCOMPARE(heading->textFormat(), Qt::PlainText);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(heading);
    QCOMPARE(accessible->text(QAccessible::Name), u"<b>Tom</b> & Jerry"_s);
    QCOMPARE(rows.findChild<QLineEdit *>()->placeholderText(), u"<b>Tom</b> & Jerry"_s);
}

void FieldRowsTest::rebuildsOnlyOnRebuild()
{
    auto view = viewOf({{u"name"_s, u"Name"_s}});
    FieldRows rows(*view);
    QLineEdit *edit = rows.findChild<QLineEdit *>();
    view->reset();
    view->setAddresses({{u"o"_s, u"b"_s, u"n"_s}});
    view->setFieldValue(u"name"_s, u"x"_s);
    QCOMPARE(rows.findChild<QLineEdit *>(), edit);
    QCOMPARE(edit->text(), u"x"_s);

    rows.rebuild();
    QVERIFY(rows.findChild<QLineEdit *>() != edit);
    QCOMPARE(rows.findChild<QLineEdit *>()->text(), u"x"_s);
}

QTEST_MAIN(FieldRowsTest)
#include "FieldRowsTest.moc"

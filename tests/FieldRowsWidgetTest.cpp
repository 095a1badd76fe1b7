#include "window/FieldRowsWidget.h"

#include "ScriptedChooser.h"
#include "TestServices.h"
#include "catalogue/Catalogue.h"
#include "form/SetupView.h"
#include "window/MainWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// The ways text gets into a box.
enum class Entry
{
    Typing,
    Paste,
    InputMethod,
    Drop,
    Undo,
    Redo,
    Accessibility
};

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(Entry)
Q_DECLARE_METATYPE(QList<QStringList>)

class FieldRowsWidgetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlsByKind_data();
    void controlsByKind();
    void rowsStayPackedAtAnyHeight_data();
    void rowsStayPackedAtAnyHeight();
    void wrappedHeadingTakesItsLines();
    void measuresRowsBeforeBuildingThem_data();
    void measuresRowsBeforeBuildingThem();
    void choiceOffersEveryPiece_data();
    void choiceOffersEveryPiece();
    void choiceKeepsUnknownValue();
    void typingKeepsFocusAndCursor();
    void everyEntryReachesValue_data();
    void everyEntryReachesValue();
    void outsideChangeUpdatesOnlyItsControls();
    void addressMenuWritesOriginThenBind();
    void linesBoxKeepsBreaksAndHeight();
    void linesBoxBorderFollowsPalette();
    void browseAsksChooserByKind_data();
    void browseAsksChooserByKind();
    void showsCatalogueTextsAsWritten();
    void rebuildsOnlyOnRebuild();

private:
    static std::unique_ptr<SetupView> viewOf(QList<QStringList> rows);
};

namespace {

// The children of the rows' layout after each heading, described by type.
QStringList shapeOf(const FieldRowsWidget &rows)
{
    QStringList shape;
    auto *layout = qobject_cast<QVBoxLayout *>(rows.layout());
    for (int index = 0; index < layout->count(); ++index) {
        QLayoutItem *item = layout->itemAt(index);
        if (item->spacerItem())
            continue;
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

std::unique_ptr<SetupView> FieldRowsWidgetTest::viewOf(QList<QStringList> rows)
{
    auto view = std::make_unique<SetupView>(
        QList<Operation>{{u"form"_s, u"Form"_s, u"Info"_s, u"Run"_s, std::move(rows)}},
        TestServices::unused());
    view->reset();
    return view;
}

void FieldRowsWidgetTest::controlsByKind_data()
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
                           << QStringList{u"LinesBox"_s};
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

void FieldRowsWidgetTest::controlsByKind()
{
    QFETCH(QStringList, row);
    QFETCH(QStringList, shape);
    auto view = viewOf({row});
    FieldRowsWidget rows(*view);
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

namespace {

// Where each item of the rows' layout is, top to bottom: headings and
// controls, the path line as one.
QList<QPair<QRect, QWidget *>> itemsOf(const FieldRowsWidget &rows)
{
    QList<QPair<QRect, QWidget *>> items;
    QLayout *layout = rows.layout();
    for (int index = 0; index < layout->count(); ++index) {
        QLayoutItem *item = layout->itemAt(index);
        if (item->spacerItem())
            continue;
        QWidget *widget = item->widget();
        items.append({widget ? widget->geometry() : item->geometry(), widget});
    }
    return items;
}

} // namespace

void FieldRowsWidgetTest::rowsStayPackedAtAnyHeight_data()
{
    QTest::addColumn<int>("height");

    QTest::newRow("as it opens") << 0;
    QTest::newRow("520 x 980") << 980;
    QTest::newRow("520 x 2000") << 2000;
}

void FieldRowsWidgetTest::rowsStayPackedAtAnyHeight()
{
    QFETCH(int, height);
    const QString shipped = QStringLiteral(TARNWICK_SHIPPED_CATALOGUE);
    QVERIFY2(QFileInfo(shipped).isFile(), "TARNWICK_SHIPPED_CATALOGUE names no catalogue file");
    MainWindow window(Catalogue::load(shipped), TestServices::unused());
    QVERIFY(window.setupView());
    window.setupView()->setSelected(u"reinstate-person"_s);
    if (height > 0)
        window.resize(520, height);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *rows = window.findChild<FieldRowsWidget *>();
    QTRY_VERIFY(rows->findChild<QComboBox *>() && rows->findChild<QComboBox *>()->isVisible());

    // Heading, control; heading, control; heading, control.
    const auto items = itemsOf(*rows);
    QCOMPARE(items.size(), 6);
    for (qsizetype index = 0; index < items.size(); ++index) {
        const QRect place = items.at(index).first;
        if (index % 2 == 0) {
            auto *heading = qobject_cast<QLabel *>(items.at(index).second);
            QVERIFY(heading);
            // As high as its text, which is one line here.
            QCOMPARE(place.height(), heading->heightForWidth(heading->width()));
            QVERIFY2(
                place.height() < 2 * heading->fontMetrics().lineSpacing(),
                qPrintable(u"heading %1 is %2 high"_s.arg(heading->text()).arg(place.height())));
        }
        if (index > 0) {
            const QRect above = items.at(index - 1).first;
            QCOMPARE(place.top() - above.bottom() - 1, 10);
        }
    }
    QCOMPARE(items.constFirst().first.top(), 2);
    // What the rows do not need stays below the last one.
    const auto *area = window.findChild<QScrollArea *>(u"formArea"_s);
    QCOMPARE(rows->height(), area->viewport()->height());
    QVERIFY(items.constLast().first.bottom() + 1 + 2 <= rows->height());
    if (height > 0)
        QVERIFY(rows->height() - items.constLast().first.bottom() > height / 3);
}

void FieldRowsWidgetTest::wrappedHeadingTakesItsLines()
{
    const QString label = u"A heading that goes on and on, "_s.repeated(8);
    auto view = viewOf({{u"k"_s, label}, {u"after"_s, u"After"_s}});
    FieldRowsWidget rows(*view);
    rows.resize(300, 1200);
    rows.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rows));
    const auto items = itemsOf(rows);
    auto *heading = qobject_cast<QLabel *>(items.constFirst().second);
    QVERIFY(heading->height() >= 4 * heading->fontMetrics().lineSpacing());
    QCOMPARE(heading->height(), heading->heightForWidth(heading->width()));
    QCOMPARE(items.at(1).first.top() - items.at(0).first.bottom() - 1, 10);
    QCOMPARE(items.at(2).first.top() - items.at(1).first.bottom() - 1, 10);
}

void FieldRowsWidgetTest::measuresRowsBeforeBuildingThem_data()
{
    QTest::addColumn<QList<QStringList>>("fields");
    QTest::addColumn<int>("width");

    const QString shipped = QStringLiteral(TARNWICK_SHIPPED_CATALOGUE);
    for (const Operation &operation : Catalogue::load(shipped))
        QTest::newRow(operation.id.toUtf8()) << operation.fields << 484;
    const QList<QStringList> everyKind{{u"a"_s, u"Plain"_s},
                                       {u"b"_s, u"Choice & more"_s, u"choice"_s, u"x|y"_s},
                                       {u"origin"_s, u"Address"_s, u"lan-address"_s},
                                       {u"c"_s, u"Lines"_s, u"lines"_s},
                                       {u"d"_s, u"File"_s, u"open"_s},
                                       {u"e"_s, u"A heading that goes on and on, "_s.repeated(6)}};
    QTest::newRow("every kind, wide") << everyKind << 484;
    QTest::newRow("every kind, narrow") << everyKind << 200;
    QTest::newRow("no rows") << QList<QStringList>() << 484;
}

void FieldRowsWidgetTest::measuresRowsBeforeBuildingThem()
{
    QFETCH(QList<QStringList>, fields);
    QFETCH(int, width);
    auto empty = viewOf({});
    FieldRowsWidget measuring(*empty);
    const int measured = measuring.heightFor(fields, width);

    auto view = viewOf(fields);
    FieldRowsWidget rows(*view);
    rows.resize(width, 2000);
    rows.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rows));
    // Rows without a heading to wrap have no height for width of their own.
    QCOMPARE(measured,
             rows.hasHeightForWidth() ? rows.heightForWidth(width) : rows.sizeHint().height());
    const auto items = itemsOf(rows);
    if (!items.isEmpty())
        QCOMPARE(measured, items.constLast().first.bottom() + 1 + 2);
}

void FieldRowsWidgetTest::choiceOffersEveryPiece_data()
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

void FieldRowsWidgetTest::choiceOffersEveryPiece()
{
    QFETCH(QString, choices);
    QFETCH(QStringList, items);
    auto view = viewOf({{u"role"_s, u"Role"_s, u"choice"_s, choices}});
    FieldRowsWidget rows(*view);
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

void FieldRowsWidgetTest::choiceKeepsUnknownValue()
{
    auto view = viewOf({{u"role"_s, u"Role"_s, u"choice"_s, u"member|guest"_s}});
    FieldRowsWidget rows(*view);
    auto *box = rows.findChild<QComboBox *>();
    view->setFieldValue(u"role"_s, u"owner"_s);
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(view->fieldValue(u"role"_s), u"owner"_s);
    view->setFieldValue(u"role"_s, u"guest"_s);
    QCOMPARE(box->currentText(), u"guest"_s);
}

void FieldRowsWidgetTest::typingKeepsFocusAndCursor()
{
    auto view = viewOf({{u"name"_s, u"Name"_s}, {u"email"_s, u"E-mail"_s}});
    FieldRowsWidget rows(*view);
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

namespace {

QString textOf(QWidget *box)
{
    if (auto *edit = qobject_cast<QLineEdit *>(box))
        return edit->text();
    // The document's own text: toPlainText would show a no-break space as a space.
    return qobject_cast<QPlainTextEdit *>(box)->document()->toRawText().replace(
        QChar::ParagraphSeparator, u'\n');
}

} // namespace

void FieldRowsWidgetTest::everyEntryReachesValue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("value");

    for (const QString &kind : {u"text"_s, u"lines"_s}) {
        const QByteArray box = kind.toLatin1() + " box, ";
        QTest::newRow(box + "typing") << kind << Entry::Typing << u"typed"_s;
        // A no-break space stays what it is.
        QTest::newRow(box + "paste") << kind << Entry::Paste << u"typed pas\u00a0ted"_s;
        QTest::newRow(box + "input method") << kind << Entry::InputMethod << u"typed\u00fc"_s;
        QTest::newRow(box + "drop") << kind << Entry::Drop << u"typeddropped"_s;
        QTest::newRow(box + "undo") << kind << Entry::Undo << QString();
        QTest::newRow(box + "redo") << kind << Entry::Redo << u"typed"_s;
        QTest::newRow(box + "assistive technology")
            << kind << Entry::Accessibility << u"set by a screen reader"_s;
    }
}

void FieldRowsWidgetTest::everyEntryReachesValue()
{
    QFETCH(QString, kind);
    QFETCH(Entry, entry);
    QFETCH(QString, value);
    auto view = viewOf({{u"k"_s, u"Key"_s, kind}});
    FieldRowsWidget rows(*view);
    rows.show();
    QVERIFY(QTest::qWaitForWindowActive(&rows));
    QWidget *box = rows.findChild<QLineEdit *>();
    if (!box)
        box = rows.findChild<QPlainTextEdit *>();
    box->setFocus();
    QTest::keyClicks(box, u"typed"_s);
    QCOMPARE(view->fieldValue(u"k"_s), u"typed"_s);
    QSignalSpy changed(view.get(), &SetupView::valueChanged);

    switch (entry) {
    case Entry::Typing:
        break;
    case Entry::Paste:
        QApplication::clipboard()->setText(u" pas\u00a0ted"_s);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
    case Entry::InputMethod: {
        QInputMethodEvent composed;
        composed.setCommitString(u"\u00fc"_s);
        QApplication::sendEvent(box, &composed);
        break;
    }
    case Entry::Drop: {
        QMimeData dropped;
        dropped.setText(u"dropped"_s);
        QWidget *target = qobject_cast<QPlainTextEdit *>(box)
                              ? qobject_cast<QPlainTextEdit *>(box)->viewport()
                              : box;
        const QPoint end(target->width() - 4, 8);
        QDragEnterEvent enter(end, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(end, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        break;
    }
    case Entry::Undo:
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        break;
    case Entry::Redo:
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        break;
    case Entry::Accessibility: {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
        QVERIFY(accessible && accessible->editableTextInterface() && accessible->textInterface());
        accessible->editableTextInterface()->replaceText(
            0, accessible->textInterface()->characterCount(), u"set by a screen reader"_s);
        break;
    }
    }

    QCOMPARE(textOf(box), value);
    QCOMPARE(view->fieldValue(u"k"_s), value);
    if (entry != Entry::Typing && entry != Entry::Redo)
        QVERIFY(!changed.isEmpty());
    // Showing the stored value again changes nothing further.
    const qsizetype changes = changed.size();
    view->setFieldValue(u"k"_s, value);
    QCOMPARE(changed.size(), changes);
    QCOMPARE(textOf(box), value);
}

void FieldRowsWidgetTest::outsideChangeUpdatesOnlyItsControls()
{
    auto view = viewOf({{u"origin"_s, u"Origin"_s}, {u"bind"_s, u"Bind"_s}});
    FieldRowsWidget rows(*view);
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

void FieldRowsWidgetTest::addressMenuWritesOriginThenBind()
{
    auto view = viewOf({{u"lan"_s, u"Address"_s, u"lan-address"_s},
                        {u"origin"_s, u"Origin"_s},
                        {u"bind"_s, u"Bind"_s}});
    FieldRowsWidget rows(*view);
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

void FieldRowsWidgetTest::linesBoxKeepsBreaksAndHeight()
{
    auto view = viewOf({{u"buildings"_s, u"Buildings"_s, u"lines"_s}, {u"after"_s, u"After"_s}});
    FieldRowsWidget rows(*view);
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

void FieldRowsWidgetTest::linesBoxBorderFollowsPalette()
{
    const QPalette original = QApplication::palette();
    QPalette light(QColor(0xef, 0xef, 0xef));
    light.setColor(QPalette::PlaceholderText, QColor(0x70, 0x70, 0x70));
    QApplication::setPalette(light);
    auto view = viewOf({{u"buildings"_s, u"Buildings"_s, u"lines"_s}});
    FieldRowsWidget rows(*view);
    rows.resize(300, 200);
    rows.show();
    QVERIFY(QTest::qWaitForWindowActive(&rows));
    auto *box = rows.findChild<QPlainTextEdit *>();
    const auto border = [box] { return box->grab().toImage().pixelColor(0, box->height() / 2); };
    QCOMPARE(border(), QColor(0x70, 0x70, 0x70));

    // A dark palette, switched to while the window is open.
    QPalette dark(QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
    dark.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
    dark.setColor(QPalette::PlaceholderText, QColor(0x90, 0x98, 0xa0));
    QApplication::setPalette(dark);
    // The change reaches the widgets through the event loop.
    const bool followed = QTest::qWaitFor([&] { return border() == QColor(0x90, 0x98, 0xa0); });
    const QColor shown = border();
    QApplication::setPalette(original);
    QVERIFY2(followed, qPrintable(shown.name()));
}

void FieldRowsWidgetTest::browseAsksChooserByKind_data()
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

void FieldRowsWidgetTest::browseAsksChooserByKind()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, value);
    auto view = viewOf({{u"file"_s, u"Backup file"_s, kind}});
    auto chooser = std::make_shared<ScriptedChooser>(answer);
    view->setChooser(chooser);
    FieldRowsWidget rows(*view);
    auto *edit = rows.findChild<QLineEdit *>();
    QTest::keyClicks(edit, u"typed"_s);

    QTest::mouseClick(rows.findChild<QPushButton *>(u"browse"_s), Qt::LeftButton);
    QCOMPARE(chooser->asked.size(), 1);
    QCOMPARE(int(chooser->asked.constFirst().first), mode);
    QCOMPARE(chooser->asked.constFirst().second, u"Backup file"_s);
    QCOMPARE(view->fieldValue(u"file"_s), value);
    QCOMPARE(edit->text(), value);
}

void FieldRowsWidgetTest::showsCatalogueTextsAsWritten()
{
    auto view = viewOf({{u"k"_s, u"<b>Tom</b> & Jerry"_s}});
    FieldRowsWidget rows(*view);
    auto *heading = rows.findChild<QLabel *>(u"heading"_s);
    QCOMPARE(heading->textFormat(), Qt::PlainText);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(heading);
    QCOMPARE(accessible->text(QAccessible::Name), u"<b>Tom</b> & Jerry"_s);
    QCOMPARE(rows.findChild<QLineEdit *>()->placeholderText(), u"<b>Tom</b> & Jerry"_s);
}

void FieldRowsWidgetTest::rebuildsOnlyOnRebuild()
{
    auto view = viewOf({{u"name"_s, u"Name"_s}});
    FieldRowsWidget rows(*view);
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

QTEST_MAIN(FieldRowsWidgetTest)
#include "FieldRowsWidgetTest.moc"

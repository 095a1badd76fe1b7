#include "window/ResultBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

using namespace Qt::StringLiterals;

class ResultBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsLines();
    void looksLikeATerminal();
    void copiesOutputVerbatim_data();
    void copiesOutputVerbatim();
    void longResultArrivesWhole_data();
    void longResultArrivesWhole();
    void windowKeepsRunningWhileFilling();
    void newResultReplacesOneBeingFilled();
};

namespace {

// The text of every block, as the document holds it.
QStringList blocksOf(const QPlainTextEdit &box)
{
    QStringList blocks;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        blocks.append(block.text());
    return blocks;
}

// What the clipboard holds after the whole box is selected and copied.
QString copiedWhole(ResultBox &box)
{
    QApplication::clipboard()->clear();
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    return QApplication::clipboard()->text();
}

} // namespace

void ResultBoxTest::splitsLines()
{
    ResultBox box;
    box.setResult(u"one\rtwo\r\nthree\nfour\u2028five"_s);
    QCOMPARE(blocksOf(box), (QStringList{u"one"_s, u"two"_s, u"three"_s, u"four\u2028five"_s}));
    box.resize(400, 140);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.document()->findBlockByNumber(3).layout()->lineCount(), 2);
    QVERIFY(box.isReadOnly());
    QVERIFY(box.textInteractionFlags() & Qt::TextSelectableByMouse);
    QVERIFY(box.textInteractionFlags() & Qt::TextSelectableByKeyboard);
}

void ResultBoxTest::looksLikeATerminal()
{
    ResultBox box;
    box.setResult(u"Name    Role\nAda     member\n"_s);
    // Columns the server lines up stay lined up.
    QVERIFY(QFontInfo(box.font()).fixedPitch());
    QCOMPARE(box.document()->documentMargin(), 8.0);
    QCOMPARE(box.backgroundRole(), QPalette::Base);
    QCOMPARE(box.sizeHint().height(), 140);
    QCOMPARE(box.minimumHeight(), 85);
    QCOMPARE(box.maximumHeight(), 210);
}

void ResultBoxTest::copiesOutputVerbatim_data()
{
    QTest::addColumn<QString>("result");
    // A part to select, as positions in the box; none for all of it.
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("copied");

    const QString breaks = u"one\r\ntwo\rthree\u2029four\nfive\u2028six \u00a0\ufdd0seven\r\n"_s;
    QTest::newRow("every kind of line end") << breaks << -1 << -1 << breaks;
    QTest::newRow("across CR LF") << breaks << 1 << 6 << u"ne\r\ntw"_s;
    QTest::newRow("up to a line end") << breaks << 0 << 3 << u"one"_s;
    QTest::newRow("across a lone CR") << breaks << 5 << 10 << u"wo\rth"_s;
    QTest::newRow("across the paragraph separator") << breaks << 12 << 16 << u"e\u2029fo"_s;
    QTest::newRow("a frame mark") << breaks << 28 << 31 << u"\u00a0\ufdd0s"_s;
    const qsizetype piece = ResultBox::piece;
    const QString longLine = u"head\r\n"_s + QString(3 * piece + 7, u'x') + u"\r\ntail"_s;
    QTest::newRow("line longer than a piece") << longLine << -1 << -1 << longLine;
    QTest::newRow("across pieces of a line")
        << longLine << 2 << int(5 + piece + 1 + 10) << u"ad\r\n"_s + QString(piece + 10, u'x');
    QTest::newRow("empty") << QString() << -1 << -1 << QString();
}

void ResultBoxTest::copiesOutputVerbatim()
{
    QFETCH(QString, result);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, copied);
    ResultBox box;
    box.resize(400, 140);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.setResult(result);
    QTRY_VERIFY(!box.isFilling());

    if (from < 0) {
        // Select All and Copy from the keyboard, then from the context menu.
        QCOMPARE(copiedWhole(box), copied);
        QApplication::clipboard()->clear();
        std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        box.moveCursor(QTextCursor::Start);
        menu->findChild<QAction *>(u"select-all"_s)->trigger();
        menu->findChild<QAction *>(u"edit-copy"_s)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), copied);
        return;
    }
    QApplication::clipboard()->clear();
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), copied);

    // A line selected with the keys takes its own line end along.
    QTest::keyClick(&box, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    const qsizetype lineEnd = result.indexOf(u'\r');
    QCOMPARE(QApplication::clipboard()->text(), result.left(lineEnd + 2));
}

void ResultBoxTest::longResultArrivesWhole_data()
{
    QTest::addColumn<QString>("text");

    const qsizetype slice = ResultBox::slice;
    const qsizetype piece = ResultBox::piece;
    QTest::newRow("short") << u"one\ntwo\r\nthree\n"_s;
    QTest::newRow("many lines") << u"0123456789abcde\n"_s.repeated(4 * slice / 16 + 3);
    QTest::newRow("every kind of break")
        << u"cr\rlf\ncrlf\r\nparagraph\u2029line\u2028"_s.repeated(slice / 8);
    // A CR LF right at the end of a slice stays one line end.
    QTest::newRow("CR LF at the cut") << u"0123456789abcd\r\n"_s.repeated(slice / 16 - 1) +
                                             u"0123456789abc\r\n"_s + u"next\r\nend"_s;
    QTest::newRow("one line of three slices") << QString(3 * slice + 5, u'z');
    QTest::newRow("lines of a slice each") << (QString(slice, u'w') + u'\n').repeated(3);
    // A pair of surrogates where a piece would end is not cut in two.
    QString pair(piece - 1, u'p');
    pair += u"\U0001F600"_s + QString(piece, u'q');
    QTest::newRow("pair at the end of a piece") << pair;
    QTest::newRow("blanks near the end of a piece") << u"word "_s.repeated(3 * piece / 5) + u"\n"_s;
    // Past a mebibyte, short lines share blocks.
    QTest::newRow("a long output of short lines")
        << u"0123456789abcde\n"_s.repeated(ResultBox::joinAbove / 16 + 5) + u"end"_s;
    QTest::newRow("a long output of short lines, CR LF among them")
        << u"0123456789abcde\n0123456789abc\r\n"_s.repeated(ResultBox::joinAbove / 32 + 5);
}

void ResultBoxTest::longResultArrivesWhole()
{
    QFETCH(QString, text);
    QPlainTextEdit reference;
    reference.setPlainText(text);

    ResultBox box;
    box.resize(400, 140);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.setResult(text);
    QTRY_VERIFY(!box.isFilling());
    // The reader starts at the top, however the text came in.
    QCOMPARE(box.textCursor().position(), 0);
    QCOMPARE(box.result(), text);
    QCOMPARE(copiedWhole(box), text);

    const QStringList blocks = blocksOf(box);
    // No block is longer than a piece, so none is slow to lay out.
    for (const QString &block : blocks) {
        QVERIFY(block.size() <= ResultBox::piece);
        QVERIFY(block.isEmpty() || !block.back().isHighSurrogate());
    }
    const QStringList lines = blocksOf(reference);
    if (text.size() > ResultBox::joinAbove) {
        // Every line is shown in order, and lines share blocks: the document
        // holds a small part of the blocks a plain text edit would.
        QCOMPARE(blocks.join(u'\n').replace(QChar::LineSeparator, u'\n'), lines.join(u'\n'));
        QVERIFY2(blocks.size() < lines.size() / 8, qPrintable(QString::number(blocks.size())));
        return;
    }
    // Every character is shown in order; a line no longer than a piece is
    // one block, as a plain text edit shows it.
    QCOMPARE(blocks.join(QString()), lines.join(QString()));
    if (std::all_of(lines.cbegin(), lines.cend(),
                    [](const QString &line) { return line.size() <= ResultBox::piece; }))
        QCOMPARE(blocks, lines);
    else
        QVERIFY(blocks.size() > lines.size());
}

void ResultBoxTest::windowKeepsRunningWhileFilling()
{
    const QString text = u"0123456789abcde\n"_s.repeated(8 << 20 >> 4);
    ResultBox box;
    box.show();
    box.setResult(text);
    // A timer started after the result came fires before the box is full:
    // the events of the window are not held up until then.
    int shownWhenFired = -1;
    QTimer::singleShot(0, &box, [&] { shownWhenFired = box.document()->characterCount(); });
    QTRY_VERIFY(shownWhenFired >= 0);
    QVERIFY(shownWhenFired > 0);
    QVERIFY(shownWhenFired < text.size());
    QTRY_VERIFY(!box.isFilling());
    QCOMPARE(box.document()->characterCount(), text.size() + 1);
}

void ResultBoxTest::newResultReplacesOneBeingFilled()
{
    ResultBox box;
    box.setResult(u"old line\n"_s.repeated(ResultBox::slice));
    QVERIFY(box.isFilling());
    QVERIFY(box.document()->characterCount() < 9 * ResultBox::slice);
    box.setResult(u"Working\u2026"_s);
    QVERIFY(!box.isFilling());
    QTest::qWait(100);
    QCOMPARE(box.toPlainText(), u"Working\u2026"_s);
    QCOMPARE(box.result(), u"Working\u2026"_s);
}

QTEST_MAIN(ResultBoxTest)
#include "ResultBoxTest.moc"

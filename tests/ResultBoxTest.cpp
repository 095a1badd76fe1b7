#include "window/ResultBox.h"

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
    void longResultArrivesWhole_data();
    void longResultArrivesWhole();
    void windowKeepsRunningWhileFilling();
    void newResultReplacesOneBeingFilled();
};

namespace {

// The text of every block, as the document holds it: the same as a plain
// text edit that took the whole text at once, or not.
QStringList blocksOf(const QPlainTextEdit &box)
{
    QStringList blocks;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        blocks.append(block.text());
    return blocks;
}

} // namespace

void ResultBoxTest::splitsLines()
{
    ResultBox box;
    box.setResult(u"one\rtwo\r\nthree\nfour\u2028five"_s);
    QCOMPARE(box.document()->blockCount(), 4);
    QCOMPARE(box.document()->findBlockByNumber(0).text(), u"one"_s);
    QCOMPARE(box.document()->findBlockByNumber(1).text(), u"two"_s);
    QCOMPARE(box.document()->findBlockByNumber(2).text(), u"three"_s);
    box.resize(400, 140);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.document()->findBlockByNumber(3).layout()->lineCount(), 2);
    QVERIFY(box.isReadOnly());
    QVERIFY(box.textInteractionFlags() & Qt::TextSelectableByMouse);
}

void ResultBoxTest::longResultArrivesWhole_data()
{
    QTest::addColumn<QString>("text");

    const qsizetype slice = ResultBox::slice;
    QTest::newRow("short") << u"one\ntwo\r\nthree\n"_s;
    QTest::newRow("many lines") << u"0123456789abcde\n"_s.repeated(4 * slice / 16 + 3);
    QTest::newRow("every kind of break")
        << u"cr\rlf\ncrlf\r\nparagraph\u2029line\u2028"_s.repeated(slice / 8);
    // Lines longer than a slice are cut inside; a CR LF right at the cut
    // must stay one break.
    QTest::newRow("CR LF at the cut")
        << QString(slice - 1, u'x') + u"\r\n"_s + QString(slice, u'y') + u"\r\nend"_s;
    QTest::newRow("one line of three slices") << QString(3 * slice + 5, u'z');
}

void ResultBoxTest::longResultArrivesWhole()
{
    QFETCH(QString, text);
    QPlainTextEdit reference;
    reference.setPlainText(text);

    ResultBox box;
    box.setResult(text);
    QTRY_COMPARE(box.document()->characterCount(), reference.document()->characterCount());
    QCOMPARE(blocksOf(box), blocksOf(reference));
    QCOMPARE(box.toPlainText(), reference.toPlainText());
    // The reader starts at the top, however the text came in.
    QCOMPARE(box.textCursor().position(), 0);
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
    QTRY_COMPARE(box.document()->blockCount(), int(text.size() / 16 + 1));
}

void ResultBoxTest::newResultReplacesOneBeingFilled()
{
    ResultBox box;
    box.setResult(u"old line\n"_s.repeated(ResultBox::slice));
    QVERIFY(box.document()->characterCount() < 9 * ResultBox::slice);
    box.setResult(u"Working\u2026"_s);
    QTest::qWait(100);
    QCOMPARE(box.toPlainText(), u"Working\u2026"_s);
}

QTEST_MAIN(ResultBoxTest)
#include "ResultBoxTest.moc"

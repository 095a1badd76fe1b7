// The output path. First, a management script prints 16 MiB, the most a
// result keeps: the time from
// SetupView::perform to the hand-back (busy false, the outcome in result)
// against cat of the same bytes through a pipe into /dev/null. Then the
// longest stall of the GUI thread while a result of 4 MiB in each shape of
// output, and one of 16 MiB in short lines, arrive in a shown form window.
// Last, the memory the result box takes for 16 MiB in short lines, against
// a plain text edit given the same text.
//
//   tarnwick-bench-output [handback|stall|memory]    (default: all)
#include "EventLoops.h"
#include "FigureLine.h"
#include "LagMeter.h"
#include "PipeCopy.h"
#include "PrintingProgram.h"
#include "SideBySide.h"
#include "SyntheticCatalogue.h"
#include "TestServices.h"
#include "form/SetupView.h"
#include "runner/ActionRunner.h"
#include "window/FormWidget.h"
#include "window/ResultBox.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <optional>

namespace {

constexpr qsizetype mebibyte = 1024 * 1024;
constexpr int rounds = 9;
constexpr int stallRounds = 7;
// How long the window is watched after the hand-back, for the layout and
// painting the new result sets off.
constexpr int settleMs = 300;

[[noreturn]] void fail(const char *message)
{
    std::fprintf(stderr, "%s\n", message);
    std::exit(EXIT_FAILURE);
}

// The result box takes a long result in slices between events; returns once
// the last one is in.
void waitUntilShown(const ResultBox &box)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (!box.isFilling())
            loop.quit();
    });
    check.start(5);
    loop.exec();
}

std::unique_ptr<SetupView> viewOver(const PrintingProgram &program)
{
    if (!program.isValid())
        fail("cannot write the printing program");
    return std::make_unique<SetupView>(SyntheticCatalogue::forms(1, 3),
                                       TestServices::forProgram(program.directory()));
}

void handBack()
{
    const PrintingProgram program(ActionRunner::outputLimit);
    const auto view = viewOver(program);
    const QString expected = program.outputText();
    EventLoops::performAndWait(*view);
    if (view->result() != expected)
        fail("the result is not the script's output");
    if (!PipeCopy::run(program.outputPath()))
        fail("cat through a pipe failed");

    const FigureLine line(QStringLiteral("output 16 MiB, perform to hand-back"));
    // The baseline of both figures: the same bytes through a pipe, kept nowhere.
    const auto catThroughPipe = [&] {
        QElapsedTimer clock;
        clock.start();
        if (!PipeCopy::run(program.outputPath()))
            fail("cat through a pipe failed");
        return SideBySide::Sample{clock.nsecsElapsed() / 1e6};
    };
    const SideBySide::Medians medians = SideBySide::run(
        rounds,
        [&] {
            QElapsedTimer clock;
            clock.start();
            EventLoops::performAndWait(*view);
            const double elapsed = clock.nsecsElapsed() / 1e6;
            if (view->result().size() != expected.size())
                fail("the result is not the script's output");
            return SideBySide::Sample{elapsed};
        },
        catThroughPipe);
    line.printRatio(QStringLiteral("SetupView::perform"), medians.subject.at(0),
                    QStringLiteral("cat | cat >/dev/null"), medians.baseline.at(0),
                    QStringLiteral("ms"), 3);

    // Unlike cat, the app must hold what it read as text: the least that
    // costs is filling a QString of that many characters, fresh memory, once.
    const FigureLine floorLine(QStringLiteral("output 16 MiB, fresh memory filled"));
    const SideBySide::Medians floor = SideBySide::run(
        rounds,
        [&] {
            QElapsedTimer clock;
            clock.start();
            const QString text(expected.size(), u'x');
            return SideBySide::Sample{clock.nsecsElapsed() / 1e6};
        },
        catThroughPipe);
    floorLine.printRatio(QStringLiteral("16 Mi characters"), floor.subject.at(0),
                         QStringLiteral("cat | cat >/dev/null"), floor.baseline.at(0),
                         QStringLiteral("ms"), std::nullopt);
}

void stall(qsizetype size, PrintingProgram::Shape shape, const QString &shapeName,
           std::optional<double> limit)
{
    const PrintingProgram program(size, shape);
    const auto view = viewOver(program);
    FormWidget window(*view);
    window.resize(640, 720);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        fail("the form window did not come up");
    // Lets the first showing's address discovery end before anything is timed.
    EventLoops::runFor(300);

    auto *box = window.findChild<ResultBox *>(QStringLiteral("resultBox"));
    if (!box)
        fail("the form window has no result box");

    LagMeter meter;
    QList<double> idle;
    QList<double> gaps;
    const FigureLine line(
        QStringLiteral("output %1 MiB %2, longest GUI stall").arg(size / mebibyte).arg(shapeName));
    for (int round = 0; round < stallRounds; ++round) {
        meter.start();
        EventLoops::runFor(settleMs);
        meter.stop();
        idle.append(meter.longestGap());
        // From perform until the whole result is in the box, and a little after.
        meter.start();
        EventLoops::performAndWait(*view);
        waitUntilShown(*box);
        EventLoops::runFor(settleMs);
        meter.stop();
        gaps.append(meter.longestGap());
        // What a reader copies is the output itself.
        box->selectAll();
        box->copy();
        if (QApplication::clipboard()->text() != view->result() || view->result().size() < size / 2)
            fail("the result box does not give back the output");
        box->moveCursor(QTextCursor::Start);
    }
    const double worst = *std::max_element(gaps.cbegin(), gaps.cend());
    line.printLimit(SideBySide::median(gaps), QStringLiteral("ms"), limit,
                    QStringLiteral("median of %1, worst %2 ms, idle loop %3 ms")
                        .arg(stallRounds)
                        .arg(worst, 0, 'f', 1)
                        .arg(SideBySide::median(idle), 0, 'f', 1));
}

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// Heap taken by a shown box of the form window's size once the whole text is
// in it and drawn, the text itself not counted (the app holds it anyway).
template <typename Box, typename Fill> double heapOfShownBox(const QString &text, Fill fill)
{
    malloc_trim(0);
    const qint64 before = heapInUse();
    Box box;
    box.resize(484, 140);
    box.show();
    if (!QTest::qWaitForWindowExposed(&box))
        fail("the box did not come up");
    fill(box, text);
    EventLoops::runFor(100);
    return double(heapInUse() - before) / mebibyte;
}

void memory()
{
    const PrintingProgram program(16 * mebibyte);
    const QString text = program.outputText();
    if (text.isEmpty())
        fail("cannot read the printed output");
    const FigureLine line(QStringLiteral("output 16 MiB, heap of the result box"));
    const double box = heapOfShownBox<ResultBox>(text, [](ResultBox &shown, const QString &result) {
        shown.setResult(result);
        waitUntilShown(shown);
    });
    const double plain = heapOfShownBox<QPlainTextEdit>(
        text, [](QPlainTextEdit &shown, const QString &result) { shown.setPlainText(result); });
    line.printRatio(QStringLiteral("ResultBox"), box,
                    QStringLiteral("QPlainTextEdit::setPlainText"), plain, QStringLiteral("MiB"),
                    std::nullopt);
    std::printf("%-34s %.1f MiB, %lld lines\n",
                "output 16 MiB, the text itself:", double(text.size()) * sizeof(QChar) / mebibyte,
                qint64(text.count(u'\n')));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!part.isEmpty() && part != u"handback" && part != u"stall" && part != u"memory")
        fail("usage: tarnwick-bench-output [handback|stall|memory]");
    if (part.isEmpty() || part == u"handback")
        handBack();
    if (part.isEmpty() || part == u"stall") {
        using Shape = PrintingProgram::Shape;
        stall(4 * mebibyte, Shape::ShortLines, QStringLiteral("short lines"), 50);
        stall(4 * mebibyte, Shape::LongLines, QStringLiteral("64 KiB lines"), 50);
        stall(4 * mebibyte, Shape::OneLine, QStringLiteral("one line"), 50);
        stall(4 * mebibyte, Shape::RandomBytes, QStringLiteral("random bytes"), 50);
        stall(16 * mebibyte, Shape::ShortLines, QStringLiteral("short lines"), std::nullopt);
    }
    if (part.isEmpty() || part == u"memory")
        memory();
    return EXIT_SUCCESS;
}

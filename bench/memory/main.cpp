// The app's memory when the server program prints far too much. A form window
// over a program whose management script prints 1 GiB, and one whose address
// listing is `yes '['`, endless: the app's peak resident memory (VmHWM) while
// that streams, against its resident memory once the window was up (the
// start-up figure, taken in the same process just before).
//
//   tarnwick-bench-memory [output|listing]    (default: both)
#include "EventLoops.h"
#include "FakeProgram.h"
#include "FigureLine.h"
#include "SyntheticCatalogue.h"
#include "TestServices.h"
#include "form/SetupView.h"
#include "runner/ActionRunner.h"
#include "window/FormWidget.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double allowance = 100; // MiB above the start-up figure

[[noreturn]] void fail(const char *message)
{
    std::fprintf(stderr, "%s\n", message);
    std::exit(EXIT_FAILURE);
}

// A figure of /proc/self/status, in MiB.
double statusMiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        fail("cannot read /proc/self/status");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').constFirst().toDouble() / 1024;
    }
    fail("/proc/self/status has no such field");
}

// Forgets the peak so far: writing 5 to clear_refs resets VmHWM to VmRSS.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        fail("cannot reset the peak in /proc/self/clear_refs");
}

// A shown form window over program, settled; returns the start-up figure.
double showWindow(FormWidget &window)
{
    window.resize(640, 720);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        fail("the form window did not come up");
    EventLoops::runFor(500);
    resetPeak();
    return statusMiB("VmRSS:");
}

void output()
{
    FakeProgram program;
    if (!program.isValid())
        fail("cannot write the fake program");
    // Lines of 64 bytes, as a long log would have.
    program.setManageScript(
        "yes 'Checked building North, door 12: badge reader answers, lock closed.' "
        "| head -c 1073741824\n");
    SetupView view(SyntheticCatalogue::forms(1, 3), TestServices::forProgram(program.directory()));
    FormWidget window(view);
    const FigureLine line(QStringLiteral("memory, 1 GiB of output streamed"));
    const double startup = showWindow(window);

    EventLoops::performAndWait(view);
    // And until the result box holds it all.
    const auto *box = window.findChild<QPlainTextEdit *>(QStringLiteral("resultBox"));
    if (!box)
        fail("the form window has no result box");
    while (box->document()->characterCount() <= view.result().size())
        EventLoops::runFor(20);
    EventLoops::runFor(300);
    if (view.result().size() < ActionRunner::outputLimit)
        fail("the result is shorter than the output limit");

    line.printLimit(statusMiB("VmHWM:") - startup, QStringLiteral("MiB"), allowance,
                    QStringLiteral("above the start-up figure %1 MiB; result %2 Mi characters")
                        .arg(startup, 0, 'f', 1)
                        .arg(double(view.result().size()) / (1 << 20), 0, 'f', 1));
}

void listing()
{
    FakeProgram program;
    if (!program.isValid())
        fail("cannot write the fake program");
    program.setServerScript("yes '['\n");
    SetupView view(SyntheticCatalogue::forms(1, 3), TestServices::forProgram(program.directory()));
    FormWidget window(view);
    const FigureLine line(QStringLiteral("memory, endless address listing for 7 s"));
    // Showing the window starts the discovery; the peak is taken from here.
    resetPeak();
    const double before = statusMiB("VmRSS:");
    window.resize(640, 720);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        fail("the form window did not come up");
    EventLoops::runFor(7000);
    if (!view.addresses().isEmpty())
        fail("an endless listing gave addresses");
    line.printLimit(
        statusMiB("VmHWM:") - before, QStringLiteral("MiB"), allowance,
        QStringLiteral("above the figure before the window, %1 MiB").arg(before, 0, 'f', 1));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!part.isEmpty() && part != u"output" && part != u"listing")
        fail("usage: tarnwick-bench-memory [output|listing]");
    if (part != u"listing")
        output();
    if (part != u"output")
        listing();
    // The endless listing is still being drained; its script ends when the
    // pipe goes, at exit.
    return EXIT_SUCCESS;
}

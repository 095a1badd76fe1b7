// The cost of one keystroke in a line edit of a form of 500 rows against one
// of 5 rows: typing must cost the same however long the form is.
#include "FigureLine.h"
#include "SideBySide.h"
#include "TypedForm.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int longForm = 500;
constexpr int shortForm = 5;
constexpr int rounds = 15;
constexpr int keystrokesPerRound = 100;

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    TypedForm longWindow(longForm);
    TypedForm shortWindow(shortForm);
    if (!longWindow.isReady() || !shortWindow.isReady()) {
        std::fprintf(stderr, "the form windows did not come up\n");
        return EXIT_FAILURE;
    }
    longWindow.typeKeys(20);
    shortWindow.typeKeys(20);

    const FigureLine line(
        QStringLiteral("keystroke, %1 rows vs %2 rows").arg(longForm).arg(shortForm));
    const SideBySide::Medians medians = SideBySide::run(
        rounds, [&] { return SideBySide::Sample{longWindow.typeKeys(keystrokesPerRound)}; },
        [&] { return SideBySide::Sample{shortWindow.typeKeys(keystrokesPerRound)}; });
    line.printRatio(QStringLiteral("%1 rows").arg(longForm), medians.subject.at(0),
                    QStringLiteral("%1 rows").arg(shortForm), medians.baseline.at(0),
                    QStringLiteral("us"), 1.5);
    return EXIT_SUCCESS;
}

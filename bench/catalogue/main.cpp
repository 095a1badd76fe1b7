// Decoding a large catalogue with Catalogue::decode against parsing the same
// bytes with QJsonDocument::fromJson alone: what the app adds on top of the
// JSON parser.
#include "FigureLine.h"
#include "SideBySide.h"
#include "SyntheticCatalogue.h"
#include "catalogue/Catalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int formCount = 2000;
constexpr int rowCount = 20;
constexpr int rounds = 15;

// The allocator merges what a run freed during some later allocation, which
// would charge one side's garbage to whichever run comes next. A request of
// a large-bin size makes glibc do that merge here, between the runs.
void tidyHeap()
{
    std::free(std::malloc(4096));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QByteArray json =
        SyntheticCatalogue::json(SyntheticCatalogue::forms(formCount, rowCount));

    const auto decoded = Catalogue::decode(json);
    if (!decoded || decoded->size() != formCount ||
        decoded->constLast().fields.size() != rowCount) {
        std::fprintf(stderr, "the synthetic catalogue does not decode\n");
        return EXIT_FAILURE;
    }

    const FigureLine line(QStringLiteral("catalogue %1 forms x %2 rows (%3 KiB)")
                              .arg(formCount)
                              .arg(rowCount)
                              .arg(json.size() / 1024));
    const SideBySide::Medians medians = SideBySide::run(
        rounds,
        [&json] {
            QElapsedTimer clock;
            clock.start();
            auto operations = Catalogue::decode(json);
            const double elapsed = clock.nsecsElapsed() / 1e6;
            if (!operations)
                std::abort();
            operations.reset();
            tidyHeap();
            return SideBySide::Sample{elapsed};
        },
        [&json] {
            QElapsedTimer clock;
            clock.start();
            QJsonDocument document = QJsonDocument::fromJson(json);
            const double elapsed = clock.nsecsElapsed() / 1e6;
            if (!document.isArray())
                std::abort();
            document = QJsonDocument();
            tidyHeap();
            return SideBySide::Sample{elapsed};
        });
    line.printRatio(QStringLiteral("Catalogue::decode"), medians.subject.at(0),
                    QStringLiteral("QJsonDocument::fromJson"), medians.baseline.at(0),
                    QStringLiteral("ms"), 1.5);
    return EXIT_SUCCESS;
}

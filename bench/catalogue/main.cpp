// Decoding a large catalogue with Catalogue::decode (strict parsing, every
// text a QString, every form checked) against parsing the same bytes with
// QJsonDocument::fromJson alone. A second line shows the least a decoder
// built on QJsonDocument would take: parsing, then turning every text into a
// QString, with nothing checked. A third shows the strict parsing alone:
// the same catalogue with a number before its first form, which the decoder
// parses and checks whole before refusing at the first element.
#include "FigureLine.h"
#include "SideBySide.h"
#include "SyntheticCatalogue.h"
#include "catalogue/Catalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstdlib>
#include <functional>

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

// Parses, copies every text of the forms into an operation and releases the
// document; no member, type or row is checked.
QList<Operation> convertOnly(const QByteArray &json)
{
    const QJsonArray forms = QJsonDocument::fromJson(json).array();
    QList<Operation> operations;
    operations.reserve(forms.size());
    for (const QJsonValueConstRef value : forms) {
        const QJsonObject object = value.toObject();
        Operation operation{object.value(u"id").toString(),
                            object.value(u"title").toString(),
                            object.value(u"info").toString(),
                            object.value(u"button").toString(),
                            {}};
        const QJsonArray rows = object.value(u"fields").toArray();
        operation.fields.reserve(rows.size());
        for (const QJsonValueConstRef row : rows) {
            const QJsonArray texts = row.toArray();
            QStringList fields;
            fields.reserve(texts.size());
            for (const QJsonValueConstRef text : texts)
                fields.append(text.toString());
            operation.fields.append(std::move(fields));
        }
        operations.append(std::move(operation));
    }
    return operations;
}

// Milliseconds one call of work took; what it made is freed afterwards, untimed.
template <typename Work> SideBySide::Sample timed(const Work &work)
{
    QElapsedTimer clock;
    clock.start();
    auto made = work();
    const double elapsed = clock.nsecsElapsed() / 1e6;
    made = {};
    tidyHeap();
    return {elapsed};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QList<Operation> forms = SyntheticCatalogue::forms(formCount, rowCount);
    const QByteArray json = SyntheticCatalogue::json(forms);
    if (Catalogue::decode(json) != forms || convertOnly(json) != forms) {
        std::fprintf(stderr, "the synthetic catalogue does not decode to its forms\n");
        return EXIT_FAILURE;
    }
    // Built by appending, as json is, so that both are parsed in place.
    QByteArray refused = "[0,";
    refused += json.sliced(json.indexOf('[') + 1);
    if (Catalogue::decode(refused) ||
        QJsonDocument::fromJson(refused).array().size() != formCount + 1) {
        std::fprintf(stderr, "the catalogue with a number first is not refused at that number\n");
        return EXIT_FAILURE;
    }

    const auto decode = [&json] { return Catalogue::decode(json); };
    const auto parse = [&json] { return QJsonDocument::fromJson(json); };
    const auto convert = [&json] { return convertOnly(json); };
    const auto refuse = [&refused] { return Catalogue::decode(refused); };

    const FigureLine line(QStringLiteral("catalogue %1 forms x %2 rows (%3 KiB)")
                              .arg(formCount)
                              .arg(rowCount)
                              .arg(json.size() / 1024));
    const SideBySide::Medians medians = SideBySide::run(
        rounds, [&] { return timed(decode); }, [&] { return timed(parse); });
    line.printRatio(QStringLiteral("Catalogue::decode"), medians.subject.at(0),
                    QStringLiteral("QJsonDocument::fromJson"), medians.baseline.at(0),
                    QStringLiteral("ms"), 1.0);

    const FigureLine floorLine(QStringLiteral("catalogue, texts converted, unchecked"));
    const SideBySide::Medians floor = SideBySide::run(
        rounds, [&] { return timed(convert); }, [&] { return timed(parse); });
    floorLine.printRatio(QStringLiteral("conversion alone"), floor.subject.at(0),
                         QStringLiteral("QJsonDocument::fromJson"), floor.baseline.at(0),
                         QStringLiteral("ms"), std::nullopt);

    const FigureLine parseLine(QStringLiteral("catalogue, parsed, refused at once"));
    const SideBySide::Medians parsed = SideBySide::run(
        rounds, [&] { return timed(refuse); }, [&] { return timed(parse); });
    parseLine.printRatio(QStringLiteral("Catalogue::decode"), parsed.subject.at(0),
                         QStringLiteral("QJsonDocument::fromJson"), parsed.baseline.at(0),
                         QStringLiteral("ms"), std::nullopt);
    return EXIT_SUCCESS;
}

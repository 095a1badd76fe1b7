#include "catalogue/Catalogue.h"

#include "catalogue/FieldRow.h"
#include "catalogue/JsonRecord.h"

#include <QFile>
#include <QLoggingCategory>
#include <QVarLengthArray>
#include <algorithm>
#include <utility>

namespace {

// Says where the catalogue was looked for and what came of it: the window
// only says to reinstall, which does not tell a packager which path was wrong.
Q_LOGGING_CATEGORY(catalogueLog, "tarnwick.catalogue", QtWarningMsg)

std::optional<Operation> decodeOperation(simdjson::dom::element value)
{
    static constexpr std::array<std::string_view, 5> names{"id", "title", "info", "button",
                                                           "fields"};
    const auto members = JsonRecord::members(value, names);
    if (!members)
        return std::nullopt;
    auto id = JsonRecord::text((*members)[0]);
    auto title = JsonRecord::text((*members)[1]);
    auto info = JsonRecord::text((*members)[2]);
    auto button = JsonRecord::text((*members)[3]);
    simdjson::dom::array rows;
    if (!id || !title || !info || !button ||
        (*members)[4].get_array().get(rows) != simdjson::SUCCESS)
        return std::nullopt;

    Operation operation{
        std::move(*id), std::move(*title), std::move(*info), std::move(*button), {}};
    operation.fields.reserve(qsizetype(rows.size()));
    for (const simdjson::dom::element rowValue : rows) {
        auto row = JsonRecord::texts(rowValue);
        if (!row)
            return std::nullopt;
        operation.fields.append(std::move(*row));
    }
    return operation;
}

} // namespace

std::optional<QList<Operation>> Catalogue::decode(const QByteArray &json)
{
    simdjson::dom::parser parser;
    const auto array = JsonRecord::array(parser, json);
    if (!array)
        return std::nullopt;

    QList<Operation> operations;
    operations.reserve(qsizetype(array->size()));
    for (const simdjson::dom::element value : *array) {
        auto operation = decodeOperation(value);
        if (!operation || !isWellFormed(*operation))
            return std::nullopt;
        operations.append(std::move(*operation));
    }
    return operations;
}

QList<Operation> Catalogue::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(catalogueLog, "could not read the catalogue %s: %s", qUtf8Printable(path),
               qUtf8Printable(file.errorString()));
        return {};
    }
    auto operations = decode(file.readAll());
    if (!operations) {
        qCInfo(catalogueLog, "the catalogue %s is not a valid catalogue of forms",
               qUtf8Printable(path));
        return {};
    }
    qCInfo(catalogueLog, "loaded %lld forms from %s", static_cast<long long>(operations->size()),
           qUtf8Printable(path));
    return std::move(*operations);
}

// Rows the window relies on: a key and a label on every row, choices on every
// choice row, and no key twice within one form.
bool Catalogue::isWellFormed(const Operation &operation)
{
    // Sorted and compared neighbour to neighbour rather than hashed into a
    // set: hashing every key was the largest part of decoding a catalogue.
    QVarLengthArray<QString, 32> keys;
    for (const QStringList &fields : operation.fields) {
        const FieldRow row(fields);
        if (!row.isComplete())
            return false;
        keys.append(row.key());
    }
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.cbegin(), keys.cend()) == keys.cend();
}

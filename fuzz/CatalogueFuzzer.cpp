// Fuzzes Catalogue::decode: a catalogue decodes whole or not at all.

#include "WholeArray.h"
#include "catalogue/Catalogue.h"
#include "catalogue/FieldRow.h"

#include <QSet>
#include <cstddef>
#include <cstdint>

namespace {

void requireOperation(const Operation &operation, const QJsonObject &object)
{
    QJsonArray rows;
    for (const QStringList &row : operation.fields)
        rows.append(QJsonArray::fromStringList(row));
    require(object.value(QStringLiteral("id")) == QJsonValue(operation.id) &&
                object.value(QStringLiteral("title")) == QJsonValue(operation.title) &&
                object.value(QStringLiteral("info")) == QJsonValue(operation.info) &&
                object.value(QStringLiteral("button")) == QJsonValue(operation.button) &&
                object.value(QStringLiteral("fields")) == QJsonValue(rows),
            "a form does not hold the members of its element");

    // A form the window could not lay out must never be decoded.
    QSet<QString> keys;
    for (const QStringList &fields : operation.fields) {
        const FieldRow row(fields);
        require(row.isComplete(), "a form has a row the window cannot lay out");
        require(!keys.contains(row.key()), "a form has the same key twice");
        keys.insert(row.key());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    requireWholeOrNothing(input, &Catalogue::decode, requireOperation);
    return 0;
}

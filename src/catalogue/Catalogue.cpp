#include "catalogue/Catalogue.h"

#include "catalogue/FieldRow.h"
#include "catalogue/JsonRecord.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QVarLengthArray>
#include <algorithm>
#include <utility>

namespace {

// Says where the catalogue was looked for and what came of it: the window
// only says to reinstall, which does not tell a packager which path was wrong.
Q_LOGGING_CATEGORY(catalogueLog, "tarnwick.catalogue", QtWarningMsg)

std::optional<Operation> decodeOperation(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    auto id = JsonRecord::text(object, QStringLiteral("id"));
    auto title = JsonRecord::text(object, QStringLiteral("title"));
    auto info = JsonRecord::text(object, QStringLiteral("info"));
    auto button = JsonRecord::text(object, QStringLiteral("button"));
    const QJsonValue fields = object.value(QStringLiteral("fields"));
    if (!id || !title || !info || !button || !fields.isArray())
        return std::nullopt;

    Operation operation{*id, *title, *info, *button, {}};
    const QJsonArray rows = fields.toArray();
    operation.fields.reserve(rows.size());
    for (const QJsonValue &rowValue : rows) {
        auto row = JsonRecord::texts(rowValue);
        if (!row)
            return std::nullopt;
        operation.fields.append(*row);
    }
    return operation;
}

} // namespace

std::optional<QList<Operation>> Catalogue::decode(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;

    const QJsonArray array = document.array();
    QList<Operation> operations;
    operations.reserve(array.size());
    for (const QJsonValue &value : array) {
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

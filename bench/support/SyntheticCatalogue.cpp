#include "SyntheticCatalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// One cycle of row kinds; a plain text row comes first so that every form has one.
constexpr int kindCount = 8;

} // namespace

QList<Operation> SyntheticCatalogue::forms(int formCount, int rowCount)
{
    QList<Operation> result;
    result.reserve(formCount);
    for (int form = 0; form < formCount; ++form) {
        Operation operation{
            QStringLiteral("form-%1").arg(form),
            QStringLiteral("Form number %1 of the catalogue").arg(form),
            QStringLiteral("Explains what form %1 does to the server, at about the length of a "
                           "shipped explanation, so that it wraps over two lines or three.")
                .arg(form),
            QStringLiteral("Run Form %1").arg(form),
            {}};
        operation.fields.reserve(rowCount);
        for (int index = 0; index < rowCount; ++index)
            operation.fields.append(row(index));
        result.append(operation);
    }
    return result;
}

QByteArray SyntheticCatalogue::json(const QList<Operation> &forms)
{
    QJsonArray array;
    for (const Operation &operation : forms) {
        QJsonArray fields;
        for (const QStringList &texts : operation.fields)
            fields.append(QJsonArray::fromStringList(texts));
        array.append(QJsonObject{{QStringLiteral("id"), operation.id},
                                 {QStringLiteral("title"), operation.title},
                                 {QStringLiteral("info"), operation.info},
                                 {QStringLiteral("button"), operation.button},
                                 {QStringLiteral("fields"), fields}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

int SyntheticCatalogue::middleTextRow(int rowCount)
{
    return rowCount / 2 / kindCount * kindCount;
}

QStringList SyntheticCatalogue::row(int index)
{
    const QString key = QStringLiteral("field-%1").arg(index);
    const QString label = QStringLiteral("Field %1 of the form").arg(index);
    switch (index % kindCount) {
    case 0:
        return {key, label};
    case 1:
        return {key, label, QStringLiteral("text"), QStringLiteral("a default value")};
    case 2:
        return {key, label, QStringLiteral("choice"), QStringLiteral("member|manager|guest")};
    case 3:
        return {key, label, QStringLiteral("lines")};
    case 4:
        return {key, label, QStringLiteral("open")};
    case 5:
        return {key, label, QStringLiteral("save")};
    case 6:
        return {key, label, QStringLiteral("folder")};
    default:
        return {key, label, QStringLiteral("text")};
    }
}

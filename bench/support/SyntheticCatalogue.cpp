#include "SyntheticCatalogue.h"

#include <QJsonArray>
#include <QJsonDocument>

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
    // Laid out as the shipped catalogue is, one member and one row a line,
    // since the parser's share of the work depends on the layout too.
    QByteArray text = "[\n";
    for (qsizetype form = 0; form < forms.size(); ++form) {
        const Operation &operation = forms.at(form);
        text += "  {\n";
        text += "    \"id\": " + quoted(operation.id) + ",\n";
        text += "    \"title\": " + quoted(operation.title) + ",\n";
        text += "    \"info\": " + quoted(operation.info) + ",\n";
        text += "    \"button\": " + quoted(operation.button) + ",\n";
        text += "    \"fields\": [\n";
        for (qsizetype row = 0; row < operation.fields.size(); ++row) {
            QByteArrayList texts;
            for (const QString &field : operation.fields.at(row))
                texts.append(quoted(field));
            text += "      [" + texts.join(", ") + ']';
            text += row + 1 < operation.fields.size() ? ",\n" : "\n";
        }
        text += "    ]\n";
        text += form + 1 < forms.size() ? "  },\n" : "  }\n";
    }
    text += "]\n";
    return text;
}

int SyntheticCatalogue::middleTextRow(int rowCount)
{
    return rowCount / 2 / kindCount * kindCount;
}

QByteArray SyntheticCatalogue::quoted(const QString &text)
{
    // The JSON writer does the escaping; its one-element array is cut away.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
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

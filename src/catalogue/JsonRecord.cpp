#include "catalogue/JsonRecord.h"

#include <QJsonArray>

std::optional<QString> JsonRecord::text(const QJsonObject &object, const QString &name)
{
    const auto member = object.constFind(name);
    if (member == object.constEnd() || !member->isString())
        return std::nullopt;
    return member->toString();
}

std::optional<QStringList> JsonRecord::texts(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QStringList result;
    result.reserve(array.size());
    // Each element is read in place: turning it into a QJsonValue first would
    // copy and release it for every text of a large catalogue.
    for (const QJsonValueConstRef element : array) {
        if (!element.isString())
            return std::nullopt;
        result.append(element.toString());
    }
    return result;
}

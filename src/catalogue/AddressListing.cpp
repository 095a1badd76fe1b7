#include "catalogue/AddressListing.h"

#include "catalogue/JsonRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

std::optional<QList<LocalAddress>> AddressListing::decode(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;

    const QJsonArray array = document.array();
    QList<LocalAddress> addresses;
    addresses.reserve(array.size());
    for (const QJsonValue &value : array) {
        if (!value.isObject())
            return std::nullopt;
        const QJsonObject object = value.toObject();
        auto origin = JsonRecord::text(object, QStringLiteral("origin"));
        auto bind = JsonRecord::text(object, QStringLiteral("bind"));
        auto name = JsonRecord::text(object, QStringLiteral("name"));
        if (!origin || !bind || !name)
            return std::nullopt;
        addresses.append({*origin, *bind, *name});
    }
    return addresses;
}

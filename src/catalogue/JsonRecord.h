#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

// Strict reading of record members: a member counts only when it is present
// and has exactly the expected JSON type, so that null, numbers or nested
// values never pass for text.
class JsonRecord
{
public:
    static std::optional<QString> text(const QJsonObject &object, const QString &name);
    static std::optional<QStringList> texts(const QJsonValue &value);
};

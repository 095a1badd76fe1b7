#pragma once

#include "Property.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Checks a decoder of a top-level JSON array of records for being all or
// nothing. Its elements are independent of one another, so the array must
// decode exactly when every element decodes on its own (as a one-element
// array), to one record per element, each the same as that element's record
// alone; an empty array decodes, to no records. requireRecord(record,
// element) checks what must hold of each record and the element it came from.
template <typename Decode, typename RequireRecord>
void requireWholeOrNothing(const QByteArray &input, Decode decode, RequireRecord requireRecord)
{
    const auto decoded = decode(input);

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(input, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        require(!decoded, "a document other than one JSON array decoded");
        return;
    }

    const QJsonArray array = document.array();
    if (decoded)
        require(decoded->size() == array.size(), "the records are not one per array element");

    bool everyElementDecodes = true;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QByteArray alone =
            QJsonDocument(QJsonArray{array.at(i)}).toJson(QJsonDocument::Compact);
        const auto single = decode(alone);
        if (!single) {
            everyElementDecodes = false;
            continue;
        }
        require(single->size() == 1, "a one-element array did not give one record");
        requireRecord(single->first(), array.at(i).toObject());
        if (decoded)
            require(decoded->at(i) == single->first(),
                    "a record differs from its element decoded on its own");
    }
    require(decoded.has_value() == everyElementDecodes,
            "the array's outcome differs from that of its elements on their own");
}

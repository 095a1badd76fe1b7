#pragma once

#include "Property.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <simdjson.h>
#include <string>

// Checks a decoder of a top-level JSON array of records for being all or
// nothing.
//
// What is JSON is judged by simdjson's DOM parser, which reads strictly by
// RFC 8259, on a padded copy of the input with a leading UTF-8 byte-order
// mark left out; anything else must not decode. The elements of an array are
// independent of one another, so the array must decode exactly when every
// element decodes on its own (written out by simdjson as a one-element
// array, which keeps every member, one given twice too), to one record per
// element, each the same as that element's record alone; an empty array
// decodes, to no records.
//
// requireRecord(record, element) checks what must hold of each record and
// the element it came from, the element as Qt's JSON reader has it: a second
// reading of every text, escapes and all, by another parser than the
// decoder's.
template <typename Decode, typename RequireRecord>
void requireWholeOrNothing(const QByteArray &input, Decode decode, RequireRecord requireRecord)
{
    const auto decoded = decode(input);

    const QByteArray unmarked = input.startsWith("\xEF\xBB\xBF") ? input.sliced(3) : input;
    simdjson::dom::parser parser;
    simdjson::dom::array array;
    if (parser.parse(unmarked.constData(), std::size_t(unmarked.size())).get_array().get(array) !=
        simdjson::SUCCESS) {
        require(!decoded, "a document other than one strict JSON array decoded");
        return;
    }
    if (decoded)
        require(decoded->size() == qsizetype(array.size()),
                "the records are not one per array element");

    bool everyElementDecodes = true;
    qsizetype i = 0;
    for (const simdjson::dom::element element : array) {
        const QByteArray alone = QByteArray::fromStdString('[' + simdjson::minify(element) + ']');
        const auto single = decode(alone);
        if (!single) {
            everyElementDecodes = false;
            ++i;
            continue;
        }
        require(single->size() == 1, "a one-element array did not give one record");
        if (decoded)
            require(decoded->at(i) == single->first(),
                    "a record differs from its element decoded on its own");

        // Qt's reader drops a U+FEFF written as it is at the start of a text,
        // and keeps an escaped one. simdjson writes nothing but ASCII outside
        // texts, so every such sequence here is within a text.
        QByteArray escaped = alone;
        escaped.replace("\xEF\xBB\xBF", "\\ufeff");
        QJsonParseError error;
        const QJsonDocument reference = QJsonDocument::fromJson(escaped, &error);
        require(error.error == QJsonParseError::NoError && reference.isArray(),
                "Qt's reader refuses an element as simdjson writes it");
        requireRecord(single->first(), reference.array().at(0).toObject());
        ++i;
    }
    require(decoded.has_value() == everyElementDecodes,
            "the array's outcome differs from that of its elements on their own");
}

#include "catalogue/JsonRecord.h"

#include "catalogue/PaddedJson.h"

#include <QStringDecoder>

std::optional<simdjson::dom::array> JsonRecord::array(simdjson::dom::parser &parser,
                                                      const QByteArray &json)
{
    const PaddedJson padded(json, qsizetype(simdjson::SIMDJSON_PADDING));
    simdjson::dom::array array;
    if (parser.parse(padded.data(), std::size_t(padded.size()), false).get_array().get(array) !=
        simdjson::SUCCESS)
        return std::nullopt;
    return array;
}

std::optional<QString> JsonRecord::text(simdjson::dom::element value)
{
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        return std::nullopt;
    const QByteArrayView bytes(text.data(), qsizetype(text.size()));
    // QString::fromUtf8 drops a U+FEFF that starts the text, taking it for a
    // byte-order mark; here it belongs to the text. A decoder told to keep it
    // takes twice as long, so only texts that start with one go through it.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                         QStringDecoder::Flag::ConvertInitialBom);
        return QString(decoder.decode(bytes));
    }
    return QString::fromUtf8(bytes);
}

std::optional<QStringList> JsonRecord::texts(simdjson::dom::element value)
{
    simdjson::dom::array array;
    if (value.get_array().get(array) != simdjson::SUCCESS)
        return std::nullopt;
    QStringList result;
    result.reserve(qsizetype(array.size()));
    for (const simdjson::dom::element element : array) {
        auto text = JsonRecord::text(element);
        if (!text)
            return std::nullopt;
        result.append(std::move(*text));
    }
    return result;
}

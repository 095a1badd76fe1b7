#include "catalogue/AddressListing.h"

#include "catalogue/JsonRecord.h"

std::optional<QList<LocalAddress>> AddressListing::decode(const QByteArray &json)
{
    simdjson::dom::parser parser;
    const auto array = JsonRecord::array(parser, json);
    if (!array)
        return std::nullopt;

    static constexpr std::array<std::string_view, 3> names{"origin", "bind", "name"};
    QList<LocalAddress> addresses;
    addresses.reserve(qsizetype(array->size()));
    for (const simdjson::dom::element value : *array) {
        const auto members = JsonRecord::members(value, names);
        if (!members)
            return std::nullopt;
        auto origin = JsonRecord::text((*members)[0]);
        auto bind = JsonRecord::text((*members)[1]);
        auto name = JsonRecord::text((*members)[2]);
        if (!origin || !bind || !name)
            return std::nullopt;
        addresses.append({std::move(*origin), std::move(*bind), std::move(*name)});
    }
    return addresses;
}

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <simdjson.h>
#include <string_view>

// Strict reading of a JSON array of records. The whole document must be
// RFC 8259 JSON, members the app ignores included: simdjson's DOM parser
// checks every escape, every number and the UTF-8 of every byte before the
// first record is read. A member counts only when it is present once with
// exactly the expected JSON type, so that null, numbers or nested values
// never pass for text.
namespace JsonRecord {

// The top-level array of json, held in parser's buffers; nothing when json
// is not one JSON array. A UTF-8 byte-order mark before it is skipped.
std::optional<simdjson::dom::array> array(simdjson::dom::parser &parser, const QByteArray &json);

// The members of value named in names, in that order; nothing when value is
// not an object, lacks one of them or has one twice.
template <std::size_t N>
std::optional<std::array<simdjson::dom::element, N>>
members(simdjson::dom::element value, const std::array<std::string_view, N> &names);

std::optional<QString> text(simdjson::dom::element value);
// An array of texts.
std::optional<QStringList> texts(simdjson::dom::element value);

} // namespace JsonRecord

template <std::size_t N>
std::optional<std::array<simdjson::dom::element, N>>
JsonRecord::members(simdjson::dom::element value, const std::array<std::string_view, N> &names)
{
    static_assert(N <= 32, "members are tracked in one 32-bit mask");
    simdjson::dom::object object;
    if (value.get_object().get(object) != simdjson::SUCCESS)
        return std::nullopt;
    std::array<simdjson::dom::element, N> found;
    std::uint32_t seen = 0;
    // One pass over the members: looking each name up would walk the object
    // once per name, and would not see a name given twice.
    for (const simdjson::dom::key_value_pair member : object) {
        for (std::size_t index = 0; index < N; ++index) {
            if (member.key != names[index])
                continue;
            const std::uint32_t bit = std::uint32_t(1) << index;
            if (seen & bit)
                return std::nullopt;
            seen |= bit;
            found[index] = member.value;
            break;
        }
    }
    if (seen != (std::uint64_t(1) << N) - 1)
        return std::nullopt;
    return found;
}

// Fuzzes Invitation::find: an invitation is the first whole line of the text
// that starts with the prefix, and nothing else.

#include "Property.h"
#include "runner/Invitation.h"

#include <QString>
#include <QStringView>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

constexpr QStringView prefix = u"Tarnwick invite ";

// The characters that end a line for the app: the mandatory breaks of the
// Unicode line breaking algorithm (LF, VT, FF, CR, NEL, LS, PS).
bool endsLine(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x000A && u <= 0x000D) || u == 0x0085 || u == 0x2028 || u == 0x2029;
}

// Little-endian pairs of bytes as UTF-16 code units, so that every unit
// (lone surrogates included) can occur; an odd last byte is a unit alone.
QString unitsOf(const std::uint8_t *data, std::size_t size)
{
    QString text;
    text.reserve(qsizetype((size + 1) / 2));
    for (std::size_t i = 0; i < size; i += 2) {
        const char16_t high = i + 1 < size ? char16_t(data[i + 1] << 8) : 0;
        text.append(QChar(char16_t(high | data[i])));
    }
    return text;
}

// The first line that starts with the prefix, found by trying every position
// that starts a line rather than by splitting the text into lines.
std::optional<QString> firstPrefixedLine(QStringView text)
{
    for (qsizetype start = 0; start < text.size(); ++start) {
        if (start > 0 && !endsLine(text[start - 1]))
            continue;
        if (!text.sliced(start).startsWith(prefix))
            continue;
        qsizetype end = start + prefix.size();
        while (end < text.size() && !endsLine(text[end]))
            ++end;
        return text.sliced(start, end - start).toString();
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = unitsOf(data, size);
    const std::optional<QString> found = Invitation::find(text);
    const std::optional<QString> expected = firstPrefixedLine(text);

    if (!found) {
        require(!expected, "a line that starts with the prefix was not found");
        return 0;
    }
    require(found->startsWith(prefix), "the invitation does not start with the prefix");
    require(std::none_of(found->cbegin(), found->cend(), endsLine),
            "the invitation runs over a line end");
    require(found == expected,
            "the invitation is not the whole first line that starts with the prefix");
    return 0;
}

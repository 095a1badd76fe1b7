#include "runner/Invitation.h"

namespace {

constexpr QStringView prefix = u"Tarnwick invite ";

constexpr bool endsLine(char16_t c)
{
    switch (c) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case u'\u0085':
    case u'\u2028':
    case u'\u2029':
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<QString> Invitation::find(QStringView text)
{
    // CR LF needs no special case: the empty line between the two would be
    // dropped anyway, as is every other empty line, and none of them can
    // start with the non-empty prefix.
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && !endsLine(text[end].unicode()))
            ++end;
        const QStringView line = text.sliced(start, end - start);
        if (line.startsWith(prefix))
            return line.toString();
        start = end + 1;
    }
    return std::nullopt;
}

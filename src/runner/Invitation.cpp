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
    // The prefix is looked for, not every line end: testing each character
    // of megabytes of output is slow where line ends come at random, and it
    // runs on the GUI thread whenever a run hands its output back. A hit
    // counts only at the start of a line; CR LF needs no special case, as a
    // line start after its CR is one after its LF too.
    const qsizetype size = text.size();
    for (qsizetype start = text.indexOf(prefix); start >= 0;
         start = text.indexOf(prefix, start + 1)) {
        if (start > 0 && !endsLine(text[start - 1].unicode()))
            continue;
        qsizetype end = start + prefix.size();
        while (end < size && !endsLine(text[end].unicode()))
            ++end;
        return text.sliced(start, end - start).toString();
    }
    return std::nullopt;
}

#include "runner/Utf8Decoder.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr char16_t replacement = 0xFFFD;

// Decodes bytes as if they ended the input, writing from out on; returns the
// end of what was written. Every input byte yields at most one UTF-16 code
// unit (a four-byte character yields two), so bytes.size() units suffice.
QChar *decodeInto(QByteArrayView bytes, QChar *out)
{
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();

    qsizetype i = 0;
    while (i < size) {
        // Output is mostly ASCII; keep that path free of any decoding state,
        // and take it eight bytes at a time while all eight are ASCII: the
        // fixed-length copy compiles to a few vector instructions.
        while (size - i >= 8) {
            quint64 word;
            std::memcpy(&word, in + i, sizeof word);
            if (word & 0x8080808080808080u)
                break;
            for (int k = 0; k < 8; ++k)
                out[k] = QChar(char16_t(in[i + k]));
            out += 8;
            i += 8;
        }
        while (i < size && in[i] < 0x80)
            *out++ = QChar(char16_t(in[i++]));
        if (i == size)
            break;

        const uchar lead = in[i++];
        int pending;
        char32_t code;
        // The bounds on the first continuation byte exclude overlong forms,
        // surrogates and values above U+10FFFF, so a sequence is known to be
        // ill-formed as soon as its first wrong byte arrives.
        uchar lower = 0x80;
        uchar upper = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            pending = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            pending = 2;
            code = lead & 0x0F;
            if (lead == 0xE0)
                lower = 0xA0;
            else if (lead == 0xED)
                upper = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            pending = 3;
            code = lead & 0x07;
            if (lead == 0xF0)
                lower = 0x90;
            else if (lead == 0xF4)
                upper = 0x8F;
        } else {
            // A stray continuation byte or one that never starts a sequence.
            *out++ = QChar(replacement);
            continue;
        }

        for (; pending > 0; --pending) {
            if (i == size || in[i] < lower || in[i] > upper)
                break;
            code = (code << 6) | (in[i++] & 0x3F);
            lower = 0x80;
            upper = 0xBF;
        }
        if (pending > 0) {
            // The maximal subpart read so far becomes one replacement; the
            // offending byte is left to start the next round.
            *out++ = QChar(replacement);
        } else if (QChar::requiresSurrogates(code)) {
            *out++ = QChar(QChar::highSurrogate(code));
            *out++ = QChar(QChar::lowSurrogate(code));
        } else {
            *out++ = QChar(char16_t(code));
        }
    }

    return out;
}

// How many bytes at the end of bytes begin a sequence that more bytes could
// still complete: a lead byte followed by fitting continuation bytes, fewer
// than its length. Anything else at the end is decided whatever follows.
qsizetype openTail(QByteArrayView bytes)
{
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const uchar lead = in[size - back];
        if (lead >= 0x80 && lead <= 0xBF)
            continue;
        const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        if (back >= length)
            return 0;
        uchar lower = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        uchar upper = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        for (qsizetype k = size - back + 1; k < size; ++k) {
            if (in[k] < lower || in[k] > upper)
                return 0;
            lower = 0x80;
            upper = 0xBF;
        }
        return back;
    }
    return 0;
}

} // namespace

QString Utf8Decoder::decode(QByteArrayView bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar *const end = decodeInto(bytes, text.data());
    text.resize(end - text.constData());
    return text;
}

void Utf8Decoder::feed(QByteArrayView bytes)
{
    // A held sequence goes first; copying the piece behind it happens at
    // most once a piece, and pieces are small.
    QByteArray joined;
    if (!m_held.isEmpty()) {
        joined = m_held;
        joined.append(bytes);
        bytes = joined;
    }
    // Up to the open tail, decoding as if the input ended there gives what
    // decoding everything would: what comes later cannot change it.
    const qsizetype tail = openTail(bytes);
    append(bytes.chopped(tail));
    m_held = bytes.last(tail).toByteArray();
}

QString Utf8Decoder::finish()
{
    append(m_held);
    m_held.clear();
    return std::exchange(m_text, QString());
}

qsizetype Utf8Decoder::dropIncomplete()
{
    const qsizetype dropped = m_held.size();
    m_held.clear();
    return dropped;
}

void Utf8Decoder::append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    // Grow by doubling, which a large block does in place, so the text is
    // written once however many pieces it arrives in.
    const qsizetype size = m_text.size();
    if (m_text.capacity() - size < bytes.size())
        m_text.reserve(std::max(2 * m_text.capacity(), size + bytes.size()));
    m_text.resize(size + bytes.size());
    QChar *const end = decodeInto(bytes, m_text.data() + size);
    m_text.resize(end - m_text.constData());
}

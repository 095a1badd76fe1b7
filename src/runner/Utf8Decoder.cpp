#include "runner/Utf8Decoder.h"

#include <cstring>

namespace {

constexpr char16_t replacement = 0xFFFD;

} // namespace

QString Utf8Decoder::decode(QByteArrayView bytes)
{
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();

    // Every input byte yields at most one UTF-16 code unit (a four-byte
    // character yields two), so one allocation up front is always enough.
    QString text;
    text.resize(size);
    QChar *const begin = text.data();
    QChar *out = begin;

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

    text.resize(out - begin);
    return text;
}

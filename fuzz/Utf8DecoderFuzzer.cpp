// Fuzzes Utf8Decoder against the promises of its header: well-formed UTF-16
// out, valid UTF-8 kept exactly, one U+FFFD per maximal subpart, and the same
// text whether the bytes come in one piece or many.

#include "Property.h"
#include "runner/Utf8Decoder.h"

#include <QString>
#include <QStringDecoder>
#include <QUtf8StringView>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

constexpr char16_t replacement = 0xFFFD;

// The well-formed byte sequences of UTF-8 as Table 3-7 of the Unicode
// Standard lists them: the range of the lead byte, the length, and the range
// of the byte after the lead; every later byte lies in 80..BF.
struct WellFormed
{
    uchar leadLow;
    uchar leadHigh;
    qsizetype length;
    uchar secondLow;
    uchar secondHigh;
};

constexpr WellFormed wellFormed[] = {
    {0x00, 0x7F, 1, 0x00, 0x00}, {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF},
    {0xE1, 0xEC, 3, 0x80, 0xBF}, {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF},
    {0xF0, 0xF0, 4, 0x90, 0xBF}, {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
};

// A second, deliberately plain reading of the maximal-subpart rule, to
// compare with: at each position take the longest start of a well-formed
// sequence; a whole sequence is left to Qt to decode, a shorter start (or a
// byte that starts none) becomes one U+FFFD. Qt would skip a leading
// byte-order mark unless told to keep it.
QString maximalSubpartReading(QByteArrayView bytes)
{
    QStringDecoder sequence(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar lead = uchar(bytes[i]);
        const auto *form =
            std::find_if(std::begin(wellFormed), std::end(wellFormed), [lead](const WellFormed &f) {
                return lead >= f.leadLow && lead <= f.leadHigh;
            });
        if (form == std::end(wellFormed)) {
            text += QChar(replacement);
            ++i;
            continue;
        }
        qsizetype length = 1;
        while (length < form->length && i + length < bytes.size()) {
            const uchar next = uchar(bytes[i + length]);
            const uchar low = length == 1 ? form->secondLow : 0x80;
            const uchar high = length == 1 ? form->secondHigh : 0xBF;
            if (next < low || next > high)
                break;
            ++length;
        }
        if (length == form->length)
            text += sequence.decode(bytes.sliced(i, length));
        else
            text += QChar(replacement);
        i += length;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QString text = Utf8Decoder::decode(bytes);

    require(QStringView(text).isValidUtf16(), "the text holds an unpaired surrogate");
    if (QUtf8StringView(data, qsizetype(size)).isValidUtf8())
        require(text.toUtf8() == bytes, "valid UTF-8 did not come back byte for byte");
    else
        require(text.contains(QChar(replacement)), "invalid UTF-8 gave no U+FFFD");
    require(text == maximalSubpartReading(bytes),
            "the text differs from the maximal-subpart reading of the bytes");

    // Fed in pieces, as a child's output arrives, the text is the same. The
    // pieces' lengths come from the bytes themselves, so each input has its
    // own cuts and the fuzzer can steer them.
    Utf8Decoder decoder;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length =
            std::min<qsizetype>(1 + uchar(bytes.at(at)) % 5, bytes.size() - at);
        decoder.feed(bytes.sliced(at, length));
        at += length;
    }
    require(decoder.finish() == text, "feeding the bytes in pieces gave another text");
    return 0;
}

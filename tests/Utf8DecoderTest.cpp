#include "runner/Utf8Decoder.h"

#include <QRandomGenerator>
#include <QTest>
#include <initializer_list>

namespace {

constexpr char16_t fffd = 0xFFFD;

QByteArray bytes(std::initializer_list<uchar> values)
{
    QByteArray result;
    for (uchar value : values)
        result.append(char(value));
    return result;
}

QString units(std::initializer_list<char16_t> values)
{
    return QString(reinterpret_cast<const QChar *>(std::data(values)), qsizetype(values.size()));
}

// The index of the first surrogate without its partner, or -1.
qsizetype unpairedSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 == text.size() || !text.at(i + 1).isLowSurrogate())
                return i;
            ++i;
        } else if (c.isLowSurrogate()) {
            return i;
        }
    }
    return -1;
}

// Bytes that sit on the edges of the well-formed ranges, so random soup
// drawn from them hits truncations, overlongs and surrogates often.
constexpr uchar edgeBytes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                               0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                               0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};

QByteArray randomSoup(QRandomGenerator &random, int length)
{
    QByteArray soup;
    for (int i = 0; i < length; ++i) {
        if (random.bounded(2) == 0)
            soup.append(char(edgeBytes[random.bounded(int(std::size(edgeBytes)))]));
        else
            soup.append(char(random.bounded(256)));
    }
    return soup;
}

char32_t randomScalarValue(QRandomGenerator &random)
{
    // Pick the encoded length first so that every length is common.
    switch (random.bounded(4)) {
    case 0:
        return random.bounded(0x80u);
    case 1:
        return random.bounded(0x80u, 0x800u);
    case 2: {
        char32_t code;
        do {
            code = random.bounded(0x800u, 0x10000u);
        } while (code >= 0xD800 && code <= 0xDFFF);
        return code;
    }
    default:
        return random.bounded(0x10000u, 0x110000u);
    }
}

} // namespace

class Utf8DecoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void replacesTruncationOnceWhereFromUtf8DoesNot();
    void roundTripsRandomValidText();
    void randomBytesGiveWellFormedText();
    void randomPiecesGiveSameText();
};

void Utf8DecoderTest::decodes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArray("Hello, world") << QStringLiteral("Hello, world");
    QTest::newRow("nul kept") << bytes({0x61, 0x00, 0x62}) << units({u'a', 0x0000, u'b'});
    QTest::newRow("bom kept") << bytes({0xEF, 0xBB, 0xBF, 0x61}) << units({0xFEFF, u'a'});
    QTest::newRow("whitespace kept") << QByteArray(" \r\n x \t") << QStringLiteral(" \r\n x \t");

    QTest::newRow("2-byte") << bytes({0xC3, 0xA9}) << units({0x00E9});
    QTest::newRow("2-byte lowest") << bytes({0xC2, 0x80}) << units({0x0080});
    QTest::newRow("2-byte highest") << bytes({0xDF, 0xBF}) << units({0x07FF});
    QTest::newRow("3-byte euro") << bytes({0xE2, 0x82, 0xAC}) << units({0x20AC});
    QTest::newRow("3-byte lowest") << bytes({0xE0, 0xA0, 0x80}) << units({0x0800});
    QTest::newRow("3-byte highest") << bytes({0xEF, 0xBF, 0xBF}) << units({0xFFFF});
    QTest::newRow("4-byte emoji") << bytes({0xF0, 0x9F, 0x98, 0x80}) << units({0xD83D, 0xDE00});
    QTest::newRow("4-byte lowest") << bytes({0xF0, 0x90, 0x80, 0x80}) << units({0xD800, 0xDC00});
    QTest::newRow("4-byte highest") << bytes({0xF4, 0x8F, 0xBF, 0xBF}) << units({0xDBFF, 0xDFFF});
    QTest::newRow("mixed lengths")
        << bytes({0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80, 0x5A})
        << units({u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00, u'Z'});

    QTest::newRow("lone 80") << bytes({0x80}) << units({fffd});
    QTest::newRow("lone BF") << bytes({0xBF}) << units({fffd});
    QTest::newRow("continuations in a row")
        << bytes({0x80, 0xBF, 0x80, 0x41}) << units({fffd, fffd, fffd, u'A'});
    QTest::newRow("continuation after complete char")
        << bytes({0xC3, 0xA9, 0xA9}) << units({0x00E9, fffd});

    QTest::newRow("truncated 2 at end") << bytes({0x41, 0xC3}) << units({u'A', fffd});
    QTest::newRow("truncated 2 then ascii") << bytes({0xC3, 0x41}) << units({fffd, u'A'});
    QTest::newRow("truncated 3 at end") << bytes({0xE2, 0x82}) << units({fffd});
    QTest::newRow("truncated 3 after lead only") << bytes({0xE2, 0x41}) << units({fffd, u'A'});
    QTest::newRow("truncated 3 then ascii") << bytes({0xE2, 0x82, 0x41}) << units({fffd, u'A'});
    QTest::newRow("truncated 3 then lead")
        << bytes({0xE2, 0x82, 0xC3, 0xA9}) << units({fffd, 0x00E9});
    QTest::newRow("truncated 4 at end") << bytes({0xF0, 0x9F, 0x98}) << units({fffd});
    QTest::newRow("truncated 4 then ascii")
        << bytes({0xF0, 0x9F, 0x98, 0x41}) << units({fffd, u'A'});
    QTest::newRow("truncated 4 then euro")
        << bytes({0xF0, 0x9F, 0xE2, 0x82, 0xAC}) << units({fffd, 0x20AC});
    QTest::newRow("truncated 4 twice")
        << bytes({0xF0, 0x9F, 0x98, 0xF0, 0x9F, 0x98}) << units({fffd, fffd});
    QTest::newRow("truncated then nul") << bytes({0xE2, 0x82, 0x00}) << units({fffd, 0x0000});

    QTest::newRow("overlong C0 80") << bytes({0xC0, 0x80}) << units({fffd, fffd});
    QTest::newRow("overlong C1 BF") << bytes({0xC1, 0xBF}) << units({fffd, fffd});
    QTest::newRow("overlong E0 80 80") << bytes({0xE0, 0x80, 0x80}) << units({fffd, fffd, fffd});
    QTest::newRow("overlong E0 9F BF") << bytes({0xE0, 0x9F, 0xBF}) << units({fffd, fffd, fffd});
    QTest::newRow("overlong F0 80 80 80")
        << bytes({0xF0, 0x80, 0x80, 0x80}) << units({fffd, fffd, fffd, fffd});
    QTest::newRow("overlong F0 8F BF BF")
        << bytes({0xF0, 0x8F, 0xBF, 0xBF}) << units({fffd, fffd, fffd, fffd});

    QTest::newRow("surrogate ED A0 80") << bytes({0xED, 0xA0, 0x80}) << units({fffd, fffd, fffd});
    QTest::newRow("surrogate ED BF BF") << bytes({0xED, 0xBF, 0xBF}) << units({fffd, fffd, fffd});
    QTest::newRow("surrogate pair encoded separately")
        << bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80})
        << units({fffd, fffd, fffd, fffd, fffd, fffd});
    QTest::newRow("last before surrogates") << bytes({0xED, 0x9F, 0xBF}) << units({0xD7FF});
    QTest::newRow("first after surrogates") << bytes({0xEE, 0x80, 0x80}) << units({0xE000});

    QTest::newRow("above max F4 90 80 80")
        << bytes({0xF4, 0x90, 0x80, 0x80}) << units({fffd, fffd, fffd, fffd});

    QTest::newRow("F5 to FF") << bytes({0xF5, 0xF8, 0xFB, 0xFC, 0xFE, 0xFF, 0x41})
                              << units({fffd, fffd, fffd, fffd, fffd, fffd, u'A'});

    // Long ASCII stretches are taken several bytes at a time; a multi-byte
    // character, a stray byte or a cut-off sequence at any offset of such a
    // stretch must still be found, with the ASCII around it kept in order.
    const QByteArray ascii = "abcdefghijklmnopqrstuvwx";
    for (int offset = 0; offset <= 17; ++offset) {
        const QByteArray before = ascii.left(offset);
        const QByteArray after = ascii.mid(offset);
        const QString textBefore = QString::fromLatin1(before);
        const QString textAfter = QString::fromLatin1(after);
        QTest::addRow("ascii stretch, 2-byte at %d", offset)
            << before + "\xC3\xA9" + after << textBefore + QChar(0x00E9) + textAfter;
        QTest::addRow("ascii stretch, 4-byte at %d", offset)
            << before + "\xF0\x9F\x98\x80" + after
            << textBefore + units({0xD83D, 0xDE00}) + textAfter;
        QTest::addRow("ascii stretch, stray continuation at %d", offset)
            << before + "\x80" + after << textBefore + QChar(fffd) + textAfter;
        QTest::addRow("ascii stretch, cut-off 3-byte at %d", offset)
            << before + "\xE2\x82" + after << textBefore + QChar(fffd) + textAfter;
    }

    // The worked example beside the maximal-subpart rule in the Unicode
    // Standard.
    QTest::newRow("maximal subpart example")
        << bytes({0x61, 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 0x62, 0x80, 0x63, 0x80, 0xBF, 0x64})
        << units({u'a', fffd, fffd, fffd, u'b', fffd, u'c', fffd, fffd, u'd'});
}

void Utf8DecoderTest::decodes()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);

    QCOMPARE(Utf8Decoder::decode(input), expected);

    // The same bytes fed in two pieces cut anywhere, and one by one.
    for (qsizetype cut = 0; cut <= input.size(); ++cut) {
        Utf8Decoder decoder;
        decoder.feed(QByteArrayView(input).first(cut));
        decoder.feed(QByteArrayView(input).sliced(cut));
        QVERIFY2(decoder.finish() == expected, qPrintable(QStringLiteral("cut at %1").arg(cut)));
    }
    Utf8Decoder decoder;
    for (const char byte : input)
        decoder.feed(QByteArrayView(&byte, 1));
    QCOMPARE(decoder.finish(), expected);
}

void Utf8DecoderTest::replacesTruncationOnceWhereFromUtf8DoesNot()
{
    // This is why the app does not use QString::fromUtf8: it shows a cut-off
    // character as several replacement characters.
    const QByteArray input = bytes({0x41, 0xF0, 0x9F, 0x98, 0x42});
    const QString expected = units({u'A', fffd, u'B'});

    QCOMPARE(Utf8Decoder::decode(input), expected);
    QCOMPARE_NE(QString::fromUtf8(input), expected);
}

void Utf8DecoderTest::roundTripsRandomValidText()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = random.bounded(40);
        for (int i = 0; i < length; ++i) {
            const char32_t code = randomScalarValue(random);
            text.append(QStringView(QChar::fromUcs4(code)));
        }
        const QByteArray encoded = text.toUtf8();
        const QString decoded = Utf8Decoder::decode(encoded);
        if (decoded != text)
            QFAIL(qPrintable(QStringLiteral("round %1 did not round-trip: %2")
                                 .arg(round)
                                 .arg(QString::fromLatin1(encoded.toHex(' ')))));
    }
}

void Utf8DecoderTest::randomBytesGiveWellFormedText()
{
    QRandomGenerator random(1977);
    for (int round = 0; round < 3000; ++round) {
        const QByteArray head = randomSoup(random, random.bounded(24));
        const QByteArray tail = randomSoup(random, random.bounded(24));
        const QString decodedHead = Utf8Decoder::decode(head);
        const QString decodedTail = Utf8Decoder::decode(tail);
        const QString hex = QString::fromLatin1(head.toHex(' ') + " | " + tail.toHex(' '));

        if (unpairedSurrogate(decodedHead) >= 0)
            QFAIL(qPrintable(QStringLiteral("unpaired surrogate from %1").arg(hex)));

        // An ASCII byte never belongs to a multi-byte sequence, so it must
        // end whatever came before it and leave what follows untouched.
        const QString joined = Utf8Decoder::decode(head + 'x' + tail);
        if (joined != decodedHead + u'x' + decodedTail)
            QFAIL(qPrintable(QStringLiteral("ASCII byte did not separate %1").arg(hex)));
    }
}

void Utf8DecoderTest::randomPiecesGiveSameText()
{
    QRandomGenerator random(31337);
    for (int round = 0; round < 3000; ++round) {
        const QByteArray input = randomSoup(random, random.bounded(64));
        Utf8Decoder decoder;
        QList<qsizetype> cuts;
        for (qsizetype at = 0; at < input.size();) {
            const qsizetype length = std::min<qsizetype>(random.bounded(1, 6), input.size() - at);
            decoder.feed(QByteArrayView(input).sliced(at, length));
            at += length;
            cuts.append(at);
        }
        if (decoder.finish() != Utf8Decoder::decode(input)) {
            QStringList where;
            for (const qsizetype cut : std::as_const(cuts))
                where.append(QString::number(cut));
            QFAIL(qPrintable(QStringLiteral("%1 cut at %2")
                                 .arg(QString::fromLatin1(input.toHex(' ')), where.join(u' '))));
        }
    }
}

QTEST_GUILESS_MAIN(Utf8DecoderTest)
#include "Utf8DecoderTest.moc"

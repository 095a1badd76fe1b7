#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Turns the bytes a child printed into text. Every ill-formed sequence becomes
// exactly one U+FFFD, by the "maximal subpart" practice of the Unicode
// Standard (the one the WHATWG decoder follows), and nothing else is changed:
// no byte-order mark is dropped and nothing is trimmed. QString::fromUtf8
// replaces a truncated sequence byte by byte, which would show a server's
// output differently from what it wrote, hence a decoder of our own.
//
// It also decodes piece by piece as the output arrives, so that a long output
// is never held as bytes and as text at once; the pieces may cut a sequence
// anywhere, and the text is the same as from decoding all bytes in one go.
class Utf8Decoder
{
public:
    static QString decode(QByteArrayView bytes);

    void feed(QByteArrayView bytes);
    // The text of everything fed; a sequence cut off at the end is one U+FFFD.
    QString finish();
    // Forgets the start of a sequence that the input was cut off in the
    // middle of, rather than let finish() show it as U+FFFD; returns how
    // many bytes that was.
    qsizetype dropIncomplete();

private:
    void append(QByteArrayView bytes);

    QString m_text;
    // The start of a sequence that the next piece may complete: at most three bytes.
    QByteArray m_held;
};

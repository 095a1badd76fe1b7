#pragma once

#include <QByteArrayView>
#include <QString>

// Turns the bytes a child printed into text. Every ill-formed sequence becomes
// exactly one U+FFFD, by the "maximal subpart" practice of the Unicode
// Standard (the one the WHATWG decoder follows), and nothing else is changed:
// no byte-order mark is dropped and nothing is trimmed. QString::fromUtf8
// replaces a truncated sequence byte by byte, which would show a server's
// output differently from what it wrote, hence a decoder of our own.
class Utf8Decoder
{
public:
    static QString decode(QByteArrayView bytes);
};

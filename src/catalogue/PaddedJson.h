#pragma once

#include <QByteArray>

// The bytes of a JSON document as a parser that reads a little past their
// end needs them: followed by at least padding bytes of the same buffer,
// whose values do not matter. The document's own buffer is used when it has
// that room after the bytes, since catalogues and listings are read once and
// may be large; otherwise the bytes are copied into one that has. A UTF-8
// byte-order mark at the start is left out.
class PaddedJson
{
public:
    PaddedJson(const QByteArray &json, qsizetype padding);

    const char *data() const { return m_data; }
    qsizetype size() const { return m_size; }
    // Whether data() points into the document's own buffer.
    bool isBorrowed() const { return m_copy.isNull(); }

private:
    QByteArray m_copy;
    const char *m_data = nullptr;
    qsizetype m_size = 0;
};

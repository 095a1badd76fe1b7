#include "catalogue/PaddedJson.h"

namespace {

// How many bytes of json's buffer follow its last byte. capacity() will not
// do: it also counts room freed before the first byte (remove() from the
// front moves the start), so only the data pointer tells the room after.
// Bytes that QByteArray does not own (fromRawData) have none.
qsizetype roomAfter(const QByteArray &json)
{
    return const_cast<QByteArray &>(json).data_ptr().freeSpaceAtEnd();
}

} // namespace

PaddedJson::PaddedJson(const QByteArray &json, qsizetype padding)
{
    // RFC 8259 lets a reader ignore a byte-order mark; editors on Windows
    // write one, and it says nothing about the content.
    const qsizetype start = json.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    m_size = json.size() - start;
    if (roomAfter(json) >= padding) {
        m_data = json.constData() + start;
        return;
    }
    m_copy.reserve(m_size + padding);
    m_copy.append(json.constData() + start, m_size);
    m_data = m_copy.constData();
}

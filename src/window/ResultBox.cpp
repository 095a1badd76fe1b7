#include "window/ResultBox.h"

#include <QFontDatabase>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The characters that end a line, as the document reads them: CR, LF (and
// CR LF as one) and the paragraph separator.
bool endsLine(QChar character)
{
    return character == u'\n' || character == u'\r' || character == QChar::ParagraphSeparator;
}

// Where a piece of an overlong line that starts at from ends, at most at
// limit: after the last blank near the end, where the line would wrap
// anyway, or else at limit, though never between the halves of a pair.
qsizetype pieceEnd(const QString &text, qsizetype from, qsizetype limit)
{
    for (qsizetype at = limit; at > limit - ResultBox::piece / 8; --at) {
        if (text.at(at - 1) == u' ' || text.at(at - 1) == u'\t')
            return at;
    }
    if (text.at(limit - 1).isHighSurrogate() && text.at(limit).isLowSurrogate() && limit - 1 > from)
        return limit - 1;
    return limit;
}

} // namespace

ResultBox::ResultBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("resultBox"));
    setAccessibleName(tr("Result"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Base);
    // Nobody edits the result; an undo history of it would only hold memory.
    setUndoRedoEnabled(false);
    document()->setDocumentMargin(8);
    setMinimumHeight(85);
    setMaximumHeight(210);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setTabChangesFocus(true);

    m_filler.setInterval(0);
    connect(&m_filler, &QTimer::timeout, this, &ResultBox::appendSlice);
}

void ResultBox::setResult(const QString &text)
{
    // Finding and loading the fixed font took a third of the start-up time,
    // for a box that is empty then: it is looked up for the first output.
    if (!text.isEmpty() && !m_fixedFont) {
        setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        m_fixedFont = true;
    }
    m_filler.stop();
    m_result = text;
    m_joinLines = m_result.size() > joinAbove;
    m_blockStarts = {0};
    m_filled = 0;
    setPlainText(nextSlice());
    if (m_filled < m_result.size())
        m_filler.start();
}

void ResultBox::appendSlice()
{
    // A cursor of its own: the reader's cursor and scroll position stay put.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(nextSlice());
    if (m_filled == m_result.size())
        m_filler.stop();
}

// The next slice of the output as the document takes it: whole lines, or
// pieces of one, each followed by a line feed unless it is the output's
// last. So every slice starts a block of its own, and m_blockStarts gains
// the start of each block that a line feed opens. In a long output, lines
// that end in a line feed share a block, up to a piece's length, each
// followed by a line separator (one character for one, as the copy needs).
QString ResultBox::nextSlice()
{
    const QString &text = m_result;
    const qsizetype size = text.size();
    QString shown;
    shown.reserve(qMin(size - m_filled, slice) + slice / 16);
    qsizetype at = m_filled;
    qsizetype blockStart = shown.size();
    while (at < size && shown.size() < slice) {
        const qsizetype limit = qMin(size, at + piece);
        qsizetype end = at;
        while (end < limit && !endsLine(text.at(end)))
            ++end;
        if (end == size) {
            shown.append(QStringView(text).sliced(at, end - at));
            at = end;
            break;
        }
        if (endsLine(text.at(end))) {
            shown.append(QStringView(text).sliced(at, end - at));
            const bool feed = text.at(end) == u'\n';
            const bool pair = text.at(end) == u'\r' && end + 1 < size && text.at(end + 1) == u'\n';
            at = end + (pair ? 2 : 1);
            if (m_joinLines && feed && at < size && shown.size() + 1 - blockStart < piece &&
                shown.size() + 1 < slice) {
                shown.append(QChar::LineSeparator);
                continue;
            }
        } else {
            end = pieceEnd(text, at, end);
            shown.append(QStringView(text).sliced(at, end - at));
            at = end;
        }
        shown.append(u'\n');
        blockStart = shown.size();
        m_blockStarts.append(at);
    }
    m_filled = at;
    // The document would take these for frame marks and break the line there.
    for (QChar &character : shown) {
        if (character.unicode() == 0xfdd0 || character.unicode() == 0xfdd1)
            character = QChar::ReplacementCharacter;
    }
    return shown;
}

qsizetype ResultBox::outputPosition(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    return m_blockStarts.value(block.blockNumber()) + (position - block.position());
}

QMimeData *ResultBox::createMimeDataFromSelection() const
{
    // Ctrl+C, the context menu, a drag and the selection clipboard all come
    // here: each gets the output's own characters, line ends included.
    const QTextCursor cursor = textCursor();
    const qsizetype from = outputPosition(cursor.selectionStart());
    const qsizetype to = outputPosition(cursor.selectionEnd());
    auto *data = new QMimeData;
    data->setText(m_result.sliced(from, to - from));
    return data;
}

QSize ResultBox::sizeHint() const
{
    return {QPlainTextEdit::sizeHint().width(), 140};
}

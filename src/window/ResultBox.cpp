#include "window/ResultBox.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

// Where the slice that starts at from ends: after its last line break, so
// that a CR LF is never cut in two (its halves would make two breaks).
qsizetype sliceEnd(const QString &text, qsizetype from)
{
    if (text.size() - from <= ResultBox::slice)
        return text.size();
    qsizetype end = from + ResultBox::slice;
    const qsizetype lineEnd = text.lastIndexOf(u'\n', end - 1);
    if (lineEnd >= from)
        return lineEnd + 1;
    // One line longer than a slice: cut inside it, but not inside a pair.
    if (text.at(end - 1).isHighSurrogate() || (text.at(end - 1) == u'\r' && text.at(end) == u'\n'))
        --end;
    return end;
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
    // The document itself splits at CR, CR LF, LF and the paragraph
    // separator and breaks lines at U+2028, so the text goes in unchanged.
    m_filler.stop();
    m_pending = text;
    m_filled = sliceEnd(m_pending, 0);
    setPlainText(m_filled == m_pending.size() ? m_pending : m_pending.left(m_filled));
    if (m_filled < m_pending.size())
        m_filler.start();
    else
        m_pending.clear();
}

void ResultBox::appendSlice()
{
    const qsizetype end = sliceEnd(m_pending, m_filled);
    // A cursor of its own: the reader's cursor and scroll position stay put.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_pending.sliced(m_filled, end - m_filled));
    m_filled = end;
    if (m_filled == m_pending.size()) {
        m_filler.stop();
        m_pending.clear();
    }
}

QSize ResultBox::sizeHint() const
{
    return {QPlainTextEdit::sizeHint().width(), 140};
}

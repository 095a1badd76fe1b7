#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QTimer>

// Shows a run's output: read-only but selectable, scrolling inside itself,
// between 85 and 210 points high and 140 when there is room, in the fixed
// font so that columns the server aligns stay aligned.
//
// The output goes into the document slice by slice between events, so that
// megabytes never freeze the window. A line far longer than the box is wide
// is shown in pieces of its own, each a block of the document: laying out
// one block grows with its length, and a growing block of megabytes would
// be laid out again for every slice. What the document shows is therefore
// not always the output character for character (pieces, and line ends in
// the document's own form), so a copy is taken from the output itself: every
// block knows where in it it starts.
//
// Each block costs the document some 150 bytes besides its text, which for
// the longest output kept, 16 MiB in short lines, would be about 40 MiB; so
// in a long output, short lines share blocks (see nextSlice).
class ResultBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ResultBox(QWidget *parent = nullptr);

    void setResult(const QString &text);
    // The output on show, as it was given.
    const QString &result() const { return m_result; }
    // Whether part of the result is still to go into the document.
    bool isFilling() const { return m_filler.isActive(); }

    QSize sizeHint() const override;

    // The most characters of output that go into the document in one turn
    // of the event loop: a few milliseconds of work.
    static constexpr qsizetype slice = 64 * 1024;
    // The longest piece of a line shown as one block: a few dozen lines of
    // the box, quick to lay out.
    static constexpr qsizetype piece = 4 * 1024;
    // The length past which an output's short lines share blocks.
    static constexpr qsizetype joinAbove = 1024 * 1024;

protected:
    QMimeData *createMimeDataFromSelection() const override;

private:
    void appendSlice();
    QString nextSlice();
    // Where in the output a position of the document stands.
    qsizetype outputPosition(int position) const;

    QString m_result;
    // Where in the output each block of the document starts.
    QList<qsizetype> m_blockStarts;
    // How much of the output is in the document.
    qsizetype m_filled = 0;
    QTimer m_filler;
    bool m_joinLines = false;
    bool m_fixedFont = false;
};

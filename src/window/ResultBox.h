#pragma once

#include <QPlainTextEdit>
#include <QTimer>

// Shows a run's output verbatim: read-only but selectable, scrolling inside
// itself, between 85 and 210 points high and 140 when there is room. A plain
// text edit lays out long output lazily, where a label would stall. Even so,
// putting megabytes into its document at once freezes the window for
// seconds, so a long result goes in slice by slice, between events.
class ResultBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ResultBox(QWidget *parent = nullptr);

    void setResult(const QString &text);

    QSize sizeHint() const override;

    // The most characters that go into the document in one turn of the
    // event loop: a few milliseconds of work.
    static constexpr qsizetype slice = 64 * 1024;

private:
    void appendSlice();

    QString m_pending;
    qsizetype m_filled = 0;
    QTimer m_filler;
};

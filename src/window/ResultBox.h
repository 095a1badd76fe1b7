#pragma once

#include <QPlainTextEdit>

// Shows a run's output verbatim: read-only but selectable, scrolling inside
// itself, between 85 and 210 points high and 140 when there is room. A plain
// text edit lays out long output lazily, where a label would stall.
class ResultBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ResultBox(QWidget *parent = nullptr);

    void setResult(const QString &text);

    QSize sizeHint() const override;
};

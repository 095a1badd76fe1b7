#pragma once

#include <QScrollArea>
#include <memory>

class QLabel;

// The explanation of the form on screen: wrapped at the column's width and
// as high as its lines. The window gives it that height, growing as far as
// the screen allows; only a text taller than that scrolls, in here.
class InfoText : public QScrollArea
{
    Q_OBJECT

public:
    explicit InfoText(QWidget *parent = nullptr);
    ~InfoText() override;

    void setText(const QString &text);
    QLabel *label() const { return m_label; }

    // The height of the whole text when wrapped at this width.
    int textHeight(int width) const;
    // The same for another text, without showing it.
    int textHeight(const QString &text, int width) const;
    // Shows this much of it; less than the whole text scrolls.
    void setShownHeight(int height);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;

private:
    QLabel *m_label;
    int m_shown = 0;
    // The text's height at one width: a long text is not wrapped again for
    // every step of a resize that keeps the width.
    mutable int m_measuredWidth = -1;
    mutable int m_measuredHeight = 0;
    // Never shown, only measured, made when first needed.
    mutable std::unique_ptr<QLabel> m_sample;
};

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

private:
    QLabel *m_label;
    int m_shown = 0;
    // Never shown, only measured, made when first needed.
    mutable std::unique_ptr<QLabel> m_sample;
};

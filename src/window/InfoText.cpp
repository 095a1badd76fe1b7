#include "window/InfoText.h"

#include <QEvent>
#include <QLabel>
#include <QScrollBar>

namespace {

QLabel *makeLabel()
{
    auto *label = new QLabel;
    label->setObjectName(QStringLiteral("info"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

InfoText::InfoText(QWidget *parent) : QScrollArea(parent), m_label(makeLabel())
{
    setObjectName(QStringLiteral("infoArea"));
    setWidget(m_label);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The label draws on the window's background, as a label outside a
    // scrolling area would.
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
    m_label->setBackgroundRole(QPalette::Window);
    // Tab goes past the text; a screen reader still reads the label.
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

InfoText::~InfoText() = default;

void InfoText::setText(const QString &text)
{
    m_label->setText(text);
    m_measuredWidth = -1;
    verticalScrollBar()->setValue(0);
}

int InfoText::textHeight(int width) const
{
    if (width != m_measuredWidth) {
        m_measuredHeight = m_label->heightForWidth(width);
        m_measuredWidth = width;
    }
    return m_measuredHeight;
}

int InfoText::textHeight(const QString &text, int width) const
{
    if (!m_sample)
        m_sample.reset(makeLabel());
    m_sample->setFont(m_label->font());
    m_sample->setText(text);
    return m_sample->heightForWidth(width);
}

void InfoText::setShownHeight(int height)
{
    if (height == m_shown)
        return;
    m_shown = height;
    setFixedHeight(height);
}

void InfoText::changeEvent(QEvent *event)
{
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_measuredWidth = -1;
}

QSize InfoText::sizeHint() const
{
    return {m_label->sizeHint().width(), m_shown};
}

QSize InfoText::minimumSizeHint() const
{
    return {0, m_shown};
}

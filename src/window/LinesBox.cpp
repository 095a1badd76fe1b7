#include "window/LinesBox.h"

#include <QEvent>

LinesBox::LinesBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("lines"));
    setFixedHeight(fixedHeight);
    setTabChangesFocus(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    applyFrameColour();
}

QString LinesBox::text() const
{
    QString text = document()->toRawText();
    for (QChar &character : text) {
        if (character == QChar::ParagraphSeparator || character == QChar::LineSeparator)
            character = u'\n';
    }
    return text;
}

void LinesBox::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyFrameColour();
}

void LinesBox::applyFrameColour()
{
    // A plain frame is drawn in the window text colour; the muted one is the
    // placeholder colour. Only that role is set here, so every other role
    // still comes from the window, and this one is set again when it changes.
    QPalette framed = palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        framed.setColor(group, QPalette::WindowText,
                        framed.color(group, QPalette::PlaceholderText));
    if (framed != palette())
        setPalette(framed);
}

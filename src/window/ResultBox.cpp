#include "window/ResultBox.h"

ResultBox::ResultBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("resultBox"));
    setAccessibleName(tr("Result"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Base);
    document()->setDocumentMargin(8);
    setMinimumHeight(85);
    setMaximumHeight(210);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setTabChangesFocus(true);
}

void ResultBox::setResult(const QString &text)
{
    // The document itself splits at CR, CR LF, LF and the paragraph
    // separator and breaks lines at U+2028, so the text goes in unchanged.
    setPlainText(text);
}

QSize ResultBox::sizeHint() const
{
    return {QPlainTextEdit::sizeHint().width(), 140};
}

#pragma once

#include <QString>

// Buttons, menu items and labels with a buddy read "&" as the mark of a
// keyboard shortcut. Catalogue and server texts must show as written, so
// their ampersands are doubled before they reach such a control.
namespace MnemonicText {

inline QString literal(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace MnemonicText

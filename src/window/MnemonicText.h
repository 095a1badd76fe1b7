#pragma once

#include <QString>

// Buttons, menu items and labels with a buddy read "&" as the mark of a
// keyboard shortcut. Catalogue and server texts must show as written, so
// their ampersands are doubled before they reach such a control.
class MnemonicText
{
public:
    static QString literal(QString text) { return text.replace(u'&', QStringLiteral("&&")); }
};

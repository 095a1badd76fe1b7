#pragma once

#include <QPlainTextEdit>

// The multi-line text box of a "lines" row: 52 points high whatever it
// holds, framed by a 1-point line in the muted foreground colour, which
// follows the palette when it changes while the window is open.
class LinesBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LinesBox(QWidget *parent = nullptr);

    static constexpr int fixedHeight = 52;

    // The text as the user entered it: line breaks as line feeds, every
    // other character as it is (toPlainText would turn no-break spaces into
    // spaces).
    QString text() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyFrameColour();
};

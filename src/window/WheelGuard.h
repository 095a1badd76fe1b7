#pragma once

#include <QObject>

class QComboBox;

// Keeps the mouse wheel from changing a drop-down: over one, the wheel
// scrolls whatever holds it, as it does over a label. A drop-down keeps the
// focus a click gave it, so "focused" is no sign that the user means to turn
// it with the wheel; a turn meant for the form would switch the form picker
// (and lose what was typed) or a choice. The keys and the pop-up list still
// change it, and the wheel no longer gives it focus.
class WheelGuard : public QObject
{
    Q_OBJECT

public:
    // Guards the box for as long as it lives.
    static void protect(QComboBox *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WheelGuard(QComboBox *box);
};

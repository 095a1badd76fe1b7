#pragma once

#include "form/PathChooser.h"

#include <QPointer>
#include <QWidget>

// The platform's file dialog, modal over the window that asked.
class FileDialogChooser final : public PathChooser
{
public:
    explicit FileDialogChooser(QWidget *parent);

    std::optional<QString> choose(Mode mode, const QString &title) override;

private:
    QPointer<QWidget> m_parent;
};

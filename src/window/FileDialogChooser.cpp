#include "window/FileDialogChooser.h"

#include <QFileDialog>

FileDialogChooser::FileDialogChooser(QWidget *parent) : m_parent(parent) {}

std::optional<QString> FileDialogChooser::choose(Mode mode, const QString &title)
{
    QFileDialog dialog(m_parent, title);
    switch (mode) {
    case Mode::OpenFile:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case Mode::OpenFolder:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    case Mode::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // selectedFiles gives local paths, never URLs.
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.constFirst().isEmpty())
        return std::nullopt;
    return files.constFirst();
}

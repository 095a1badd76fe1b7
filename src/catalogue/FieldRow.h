#pragma once

#include <QString>
#include <QStringList>

// The rules for reading one field row of a form (key, label, kind word,
// default value, choices). The form state, the window and the chooser all
// read rows through this class so the rules exist once.
class FieldRow
{
public:
    // The control a row gets, decided by its kind word compared exactly.
    enum class Control
    {
        Choice,
        AddressMenu,
        Lines,
        LineEdit
    };

    explicit FieldRow(QStringList row);

    // Every row of a valid catalogue has a key and a label, and every
    // "choice" row also has its choices.
    bool isComplete() const;

    // The row as the catalogue gives it.
    const QStringList &texts() const { return m_row; }
    QString key() const;
    QString label() const;
    // Position 2; a row without it is of kind "text".
    QString kind() const;
    // Position 3 up to its first "|"; empty when the row has no position 3.
    QString defaultValue() const;
    // Position 3 split at every "|", empty pieces included.
    QStringList choices() const;

    Control control() const;
    // "open", "save" and "folder" rows pick a path with the chooser.
    bool picksPath() const;
    bool picksFolder() const;
    bool picksSaveTarget() const;

private:
    QString at(qsizetype position) const;

    QStringList m_row;
};

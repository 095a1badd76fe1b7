#pragma once

#include <QString>
#include <optional>

// Asks the user for one path. The window supplies a file dialog; tests supply
// an answer of their own.
class PathChooser
{
public:
    enum class Mode
    {
        OpenFile,
        OpenFolder,
        Save
    };

    virtual ~PathChooser();

    // The chosen absolute local path, or nothing when the user cancelled.
    virtual std::optional<QString> choose(Mode mode, const QString &title) = 0;
};

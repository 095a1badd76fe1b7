#pragma once

#include "ScopedVariable.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// A temporary folder of the test's own, in the test run's temporary folder.
// Made TMPDIR, it is where the runs the test starts make their request
// folders until it goes; TMPDIR is then what it was before.
class TestFolder
{
public:
    enum class Tmpdir
    {
        Keep,
        Set
    };

    explicit TestFolder(Tmpdir tmpdir = Tmpdir::Keep);
    TestFolder(const TestFolder &) = delete;
    TestFolder &operator=(const TestFolder &) = delete;

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

    // Everything in it, hidden entries included.
    QStringList entries() const;
    // The request folders in it, whatever else lies there.
    QStringList requestFolders() const;

private:
    QTemporaryDir m_folder;
    std::optional<ScopedVariable> m_tmpdir;
};

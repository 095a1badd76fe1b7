#pragma once

#include <QString>

// The installed server program: a directory holding the node runtime and the
// server's scripts. Paths are plain concatenations with the directory; nothing
// is normalised or looked up on disk, so what is configured is what runs.
class ServerProgram
{
public:
    explicit ServerProgram(QString directory);

    // The directory fixed at build time for this installation.
    static QString installedDirectory();

    const QString &directory() const { return m_directory; }
    QString node() const;
    QString manageScript() const;
    QString serverScript() const;

private:
    QString m_directory;
};

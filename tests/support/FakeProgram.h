#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A server program directory for tests. Its "node" is a shell script that
// records how it was started (arguments, environment, the request file and
// its folder's mode) and then runs the given script file as a shell script,
// so each test writes the server's behaviour in a line of sh. The directory
// name holds blanks, quotes and other shell characters on purpose.
class FakeProgram
{
public:
    explicit FakeProgram(const QString &nameTemplate =
                             QStringLiteral("tarnwick fake 'program' \"$x\" `y`; z \u00e9 XXXXXX"));
    // A program in exactly this directory, as a launcher built for it needs.
    // The directory is made here and must not exist yet: what lies there
    // already is never used or removed, and the program is invalid.
    struct Exactly
    {
        QString directory;
    };
    explicit FakeProgram(const Exactly &where);
    // Releases held scripts and waits for every process that mentions the
    // directory (scripts, discoveries, run keepers) to end before removing
    // it; one that does not end fails the test and the directory stays.
    ~FakeProgram();
    FakeProgram(const FakeProgram &) = delete;
    FakeProgram &operator=(const FakeProgram &) = delete;

    bool isValid() const { return m_valid; }
    QString directory() const { return m_directory; }

    void setManageScript(const QByteArray &shell);
    void setServerScript(const QByteArray &shell);
    // A management script that waits, as for a password, until release(),
    // noting a SIGTERM meanwhile instead of ending; then, as the action's
    // effect, it copies its request beside itself, and prints the given text.
    void holdManageScript(const QByteArray &output);
    // A server script that waits likewise until release(), then prints output.
    void holdServerScript(const QByteArray &output);
    // Releases held management and server scripts.
    bool release();
    // The requests that held scripts copied, one per script that finished.
    QList<QByteArray> heldEffects() const;
    // Whether a held script was sent SIGTERM while it waited.
    bool heldWasTerminated() const;

    // What node recorded for its last call of the given script ("manage.mjs"
    // or "tarnwick.mjs").
    QStringList recordedArguments(const QString &script) const;
    QStringList recordedEnvironment(const QString &script) const;
    QByteArray recordedRequest(const QString &script) const;
    QString recordedRequestFolderMode(const QString &script) const;
    // The descriptors above standard error that node was started with, as
    // "fd -> what it refers to"; empty when it got only the standard three.
    QStringList recordedStrayDescriptors(const QString &script) const;

private:
    void populate();
    void write(const QString &relativePath, const QByteArray &content, bool executable = false);
    QByteArray read(const QString &script, const QString &name) const;

    // Empty for a program at an exact directory.
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_directory;
    bool m_valid = false;
    // Whether the exact directory is this program's to remove.
    bool m_owned = false;
};

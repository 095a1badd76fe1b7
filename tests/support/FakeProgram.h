#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

    bool isValid() const { return m_directory.isValid(); }
    QString directory() const { return m_directory.path(); }

    void setManageScript(const QByteArray &shell);
    void setServerScript(const QByteArray &shell);
    // A management script that waits, as for a password, until release();
    // then it prints the given text.
    void holdManageScript(const QByteArray &output);
    bool release();

    // What node recorded for its last call of the given script ("manage.mjs"
    // or "tarnwick.mjs").
    QStringList recordedArguments(const QString &script) const;
    QStringList recordedEnvironment(const QString &script) const;
    QByteArray recordedRequest(const QString &script) const;
    QString recordedRequestFolderMode(const QString &script) const;

private:
    void write(const QString &relativePath, const QByteArray &content, bool executable = false);
    QByteArray read(const QString &script, const QString &name) const;

    QTemporaryDir m_directory;
};

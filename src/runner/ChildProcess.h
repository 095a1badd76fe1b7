#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <sys/types.h>

// Runs one child process with its output on a pipe, reads the pipe until every
// writer has closed it, and only then reaps the child. QProcess stops reading
// once the child itself has ended, which loses what a background grandchild
// still writes; a server script that forks a helper must not lose its output,
// hence this small helper over posix_spawn, pipe, read and waitpid. The exit
// status is deliberately not looked at: the output is the whole report.
//
// The child gets standard input, output and error, the descriptors it is
// handed explicitly, and nothing else: a descriptor the app inherited from
// its shell, or another thread's pipe, never reaches it.
class ChildProcess
{
    Q_DECLARE_TR_FUNCTIONS(ChildProcess)

public:
    enum class ErrorStream
    {
        SameAsOutput,
        Discarded
    };

    struct Options
    {
        ErrorStream errors = ErrorStream::SameAsOutput;
        // Replaces the app's own environment entirely when given.
        std::optional<QStringList> environment;
        // Handed to the child as descriptors 3, 4, … in this order.
        QList<int> passed;
    };

    struct Result
    {
        bool started = false;
        QByteArray output;
        // Why the child could not be started, for a person to read.
        QString error;
    };

    // Takes each piece of output as it is read; the pieces are only valid
    // during the call.
    using Sink = std::function<void(QByteArrayView)>;

    // Starts argv; its first word is the executable's path, run as is (no
    // PATH search). Check started() before reading.
    static ChildProcess start(const QStringList &argv, const Options &options);

    // Starts argv, reads all its output and reaps it. With a sink, the output
    // goes there piece by piece and Result::output stays empty, so a long
    // output is never held whole.
    static Result run(const QStringList &argv, ErrorStream errors,
                      const std::optional<QStringList> &environment = std::nullopt,
                      const Sink &sink = {});

    ChildProcess(ChildProcess &&other) noexcept;
    ChildProcess &operator=(ChildProcess &&) = delete;
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    // Reaps a child that was started and not waited for.
    ~ChildProcess();

    bool started() const { return m_pid > 0; }
    const QString &error() const { return m_error; }

    // Hands the output to sink until every writer has closed the pipe.
    void read(const Sink &sink);
    // Waits for the child to end, after the output has been read.
    void wait();

private:
    ChildProcess() = default;

    pid_t m_pid = -1;
    int m_output = -1;
    QString m_error;
};

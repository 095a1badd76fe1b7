#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Runs one child process with its output on a pipe, reads the pipe until every
// writer has closed it, and only then reaps the child. QProcess stops reading
// once the child itself has ended, which loses what a background grandchild
// still writes; a server script that forks a helper must not lose its output,
// hence this small helper over posix_spawn, pipe, read and waitpid. The exit
// status is deliberately not looked at: the output is the whole report.
class ChildProcess
{
    Q_DECLARE_TR_FUNCTIONS(ChildProcess)

public:
    enum class ErrorStream
    {
        SameAsOutput,
        Discarded
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

    // argv's first word is the executable's path, run as is (no PATH
    // search). A given environment replaces the app's own entirely. With a
    // sink, the output goes there piece by piece and Result::output stays
    // empty, so a long output is never held whole.
    static Result run(const QStringList &argv, ErrorStream errors,
                      const std::optional<QStringList> &environment = std::nullopt,
                      const Sink &sink = {});
};

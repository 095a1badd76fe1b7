#include "runner/ChildProcess.h"

#include "runner/Descriptor.h"
#include "runner/Spawn.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace {

// A null-terminated array of C strings, as posix_spawn takes them.
class CStringArray
{
public:
    explicit CStringArray(const QStringList &words)
    {
        m_storage.reserve(words.size());
        for (const QString &word : words)
            m_storage.push_back(QFile::encodeName(word));
        for (QByteArray &word : m_storage)
            m_pointers.push_back(word.data());
        m_pointers.push_back(nullptr);
    }
    char **get() { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_storage;
    std::vector<char *> m_pointers;
};

} // namespace

ChildProcess ChildProcess::start(const QStringList &argv, const Options &options)
{
    ChildProcess child;
    if (argv.isEmpty()) {
        child.m_error = tr("Could not start a program: no program was given");
        return child;
    }
    const QString &program = argv.constFirst();
    const auto failed = [&child, &program](int error) {
        child.m_error = tr("Could not start %1: %2").arg(program, qt_error_string(error));
        return std::move(child);
    };

    // Every descriptor the child gets is placed by a dup2 from one above all
    // the places it goes to, so no dup2 overwrites a source still to come.
    const int firstFree = STDERR_FILENO + 1 + int(options.passed.size());
    Descriptor readEnd;
    Descriptor writeEnd;
    if (!Descriptor::makePipe(readEnd, writeEnd))
        return failed(errno);
    const Descriptor output(::fcntl(writeEnd.get(), F_DUPFD_CLOEXEC, firstFree));
    writeEnd.reset();
    if (!output.isOpen())
        return failed(errno);
    std::vector<Descriptor> passed;
    for (const int fd : options.passed) {
        passed.emplace_back(::fcntl(fd, F_DUPFD_CLOEXEC, firstFree));
        if (!passed.back().isOpen())
            return failed(errno);
    }

    Spawn spawn(firstFree - 1);
    spawn.duplicate(output.get(), STDOUT_FILENO);
    if (options.errors == ErrorStream::SameAsOutput)
        spawn.duplicate(output.get(), STDERR_FILENO);
    else
        spawn.discard(STDERR_FILENO);
    for (std::size_t index = 0; index < passed.size(); ++index)
        spawn.duplicate(passed[index].get(), STDERR_FILENO + 1 + int(index));

    CStringArray arguments(argv);
    std::optional<CStringArray> variables;
    if (options.environment)
        variables.emplace(*options.environment);
    const QByteArray path = QFile::encodeName(program);

    pid_t pid = 0;
    const int spawned = spawn.start(&pid, path.constData(), arguments.get(),
                                    variables ? variables->get() : environ);
    if (spawned != 0)
        return failed(spawned);
    // The child's copies are the only write ends now, so the end of stream
    // comes when the child and its descendants have closed theirs.
    child.m_pid = pid;
    child.m_output = readEnd.release();
    return child;
}

ChildProcess::Result ChildProcess::run(const QStringList &argv, ErrorStream errors,
                                       const std::optional<QStringList> &environment,
                                       const Sink &sink)
{
    Result result;
    ChildProcess child = start(argv, {errors, environment, {}});
    if (!child.started()) {
        result.error = child.error();
        return result;
    }
    result.started = true;
    if (sink)
        child.read(sink);
    else
        child.read([&result](QByteArrayView piece) { result.output.append(piece); });
    child.wait();
    return result;
}

ChildProcess::ChildProcess(ChildProcess &&other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)), m_output(std::exchange(other.m_output, -1)),
      m_error(std::move(other.m_error))
{}

ChildProcess::~ChildProcess()
{
    wait();
}

void ChildProcess::read(const Sink &sink)
{
    if (m_output < 0)
        return;
    // One buffer, read into again and again, stays in the cache.
    constexpr qsizetype chunk = 65536;
    QByteArray buffer(chunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t count = ::read(m_output, buffer.data(), chunk);
        if (count > 0)
            sink(QByteArrayView(buffer.constData(), count));
        else if (count == 0 || errno != EINTR)
            break;
    }
    ::close(m_output);
    m_output = -1;
}

void ChildProcess::wait()
{
    if (m_output >= 0) {
        // Not read: closing first lets a child blocked on a full pipe end.
        ::close(m_output);
        m_output = -1;
    }
    if (m_pid <= 0)
        return;
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

#include "runner/ChildProcess.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// Owns one file descriptor so that every early return closes it.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

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

// Pipes are close-on-exec so that a child started by another window's run at
// the same moment never inherits this pipe and holds its end of stream open.
// The write end is kept above the standard descriptors so the dup2 onto them
// always produces a fresh, inheritable descriptor.
bool makePipe(Descriptor &readEnd, Descriptor &writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    if (writeEnd.get() <= STDERR_FILENO) {
        const int moved = ::fcntl(writeEnd.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        if (moved < 0)
            return false;
        writeEnd.reset(moved);
    }
    return true;
}

} // namespace

ChildProcess::Result ChildProcess::run(const QStringList &argv, ErrorStream errors,
                                       const std::optional<QStringList> &environment,
                                       const Sink &sink)
{
    Result result;
    if (argv.isEmpty()) {
        result.error = tr("Could not start a program: no program was given");
        return result;
    }
    const QString &program = argv.constFirst();

    Descriptor readEnd;
    Descriptor writeEnd;
    if (!makePipe(readEnd, writeEnd)) {
        result.error = tr("Could not start %1: %2").arg(program, qt_error_string(errno));
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
    if (errors == ErrorStream::SameAsOutput)
        posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    // The child starts with default signal handling and nothing blocked,
    // whatever this worker thread inherited from the toolkit.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    CStringArray arguments(argv);
    std::optional<CStringArray> variables;
    if (environment)
        variables.emplace(*environment);
    const QByteArray path = QFile::encodeName(program);

    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, path.constData(), &actions, &attributes,
                                      arguments.get(), variables ? variables->get() : environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // Only the child may hold the write end now, or the end of stream never comes.
    writeEnd.reset();
    if (spawned != 0) {
        result.error = tr("Could not start %1: %2").arg(program, qt_error_string(spawned));
        return result;
    }
    result.started = true;

    // One buffer, read into again and again, stays in the cache; without a
    // sink of the caller's, the pieces are kept whole in the result.
    const Sink keep = [&result](QByteArrayView piece) { result.output.append(piece); };
    const Sink &take = sink ? sink : keep;
    constexpr qsizetype chunk = 65536;
    QByteArray buffer(chunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t count = ::read(readEnd.get(), buffer.data(), chunk);
        if (count > 0)
            take(QByteArrayView(buffer.constData(), count));
        else if (count == 0 || errno != EINTR)
            break;
    }
    readEnd.reset();

    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return result;
}

#include "runner/ChildProcess.h"

#include "runner/Descriptor.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
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

// The file actions and attributes of one spawn, released on every path.
class SpawnSettings
{
public:
    SpawnSettings()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSettings()
    {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSettings(const SpawnSettings &) = delete;
    SpawnSettings &operator=(const SpawnSettings &) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
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

    SpawnSettings settings;
    posix_spawn_file_actions_adddup2(&settings.actions, output.get(), STDOUT_FILENO);
    if (options.errors == ErrorStream::SameAsOutput)
        posix_spawn_file_actions_adddup2(&settings.actions, output.get(), STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&settings.actions, STDERR_FILENO, "/dev/null", O_WRONLY,
                                         0);
    for (std::size_t index = 0; index < passed.size(); ++index) {
        posix_spawn_file_actions_adddup2(&settings.actions, passed[index].get(),
                                         firstFree - int(passed.size()) + int(index));
    }
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef __linux__
    posix_spawn_file_actions_addclosefrom_np(&settings.actions, firstFree);
#elif defined(__APPLE__)
    // Everything not named in a file action is closed; standard input is
    // inherited as it is.
    posix_spawn_file_actions_addinherit_np(&settings.actions, STDIN_FILENO);
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif

    // The child starts with default signal handling and nothing blocked,
    // whatever this thread inherited from the toolkit.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGHUP, SIGINT, SIGTERM, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&settings.attributes, &none);
    posix_spawnattr_setsigdefault(&settings.attributes, &defaults);
    posix_spawnattr_setflags(&settings.attributes, flags);

    CStringArray arguments(argv);
    std::optional<CStringArray> variables;
    if (options.environment)
        variables.emplace(*options.environment);
    const QByteArray path = QFile::encodeName(program);

    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, path.constData(), &settings.actions, &settings.attributes,
                      arguments.get(), variables ? variables->get() : environ);
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

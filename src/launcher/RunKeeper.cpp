#include "RunKeeper.h"

#include "runner/Descriptor.h"
#include "runner/PrivateFolder.h"
#include "runner/Spawn.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// A signal handler can reach nothing but globals, and may only call
// async-signal-safe functions such as write.
int childEndedWriteEnd = -1;

extern "C" void onChildEnded(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(childEndedWriteEnd, &byte, 1);
    errno = saved;
}

bool setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

void report(int error)
{
    const std::string text = std::to_string(error);
    [[maybe_unused]] const ssize_t written =
        ::write(RunKeeper::startReport, text.data(), text.size());
}

} // namespace

RunKeeper::RunKeeper(std::string folderName, std::vector<std::string> command)
    : m_folderName(std::move(folderName)), m_command(std::move(command))
{}

void RunKeeper::removeRequest(const char *folderName)
{
    struct stat status;
    if (::fstat(temporaryFolder, &status) == 0 && S_ISDIR(status.st_mode) &&
        ::fstat(requestFolder, &status) == 0 && S_ISDIR(status.st_mode)) {
        PrivateFolder::remove(temporaryFolder, folderName, requestFolder);
    }
}

int RunKeeper::run()
{
    Descriptor ended;
    Descriptor endedWriteEnd;
    if (!Descriptor::makePipe(ended, endedWriteEnd) || !setNonBlocking(ended.get()) ||
        !setNonBlocking(endedWriteEnd.get())) {
        report(errno);
        removeRequest(m_folderName.c_str());
        return 1;
    }
    childEndedWriteEnd = endedWriteEnd.get();
    struct sigaction action = {};
    action.sa_handler = onChildEnded;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    ::sigaction(SIGCHLD, &action, nullptr);

    if (!start()) {
        removeRequest(m_folderName.c_str());
        return 1;
    }
    ::close(startReport);
    const Descriptor output(m_output);

    bool running = true;
    Clock::time_point quietUntil;
    char buffer[65536];
    for (;;) {
        int timeout = -1;
        if (!running) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(quietUntil - Clock::now());
            if (left.count() <= 0)
                break;
            timeout = int(left.count());
        }
        pollfd watched[2] = {{output.get(), POLLIN, 0}, {ended.get(), POLLIN, 0}};
        if (::poll(watched, 2, timeout) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[1].revents != 0) {
            while (::read(ended.get(), buffer, sizeof buffer) > 0) {
            }
            if (running && ::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                running = false;
                // The command has ended: the request has served its turn.
                removeRequest(m_folderName.c_str());
                quietUntil = Clock::now() + std::chrono::milliseconds(quietMilliseconds);
            }
        }
        if (watched[0].revents != 0) {
            const ssize_t count = ::read(output.get(), buffer, sizeof buffer);
            if (count > 0) {
                pass(buffer, std::size_t(count));
                if (!running)
                    quietUntil = Clock::now() + std::chrono::milliseconds(quietMilliseconds);
            } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
                // Every writer has closed the output. The command may still
                // be running, having closed its output early; the app's run
                // lasts as long as the command does.
                if (running) {
                    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
                    }
                    removeRequest(m_folderName.c_str());
                }
                return 0;
            }
        }
    }

    // Ended, and quiet for long enough, but someone still holds the output
    // open. The app gets the end of its stream when this process exits; a
    // child of it reads on and drops what comes, so the writer never blocks.
    if (!m_passing) {
        drain();
        return 0;
    }
    const pid_t drainer = ::fork();
    if (drainer == 0) {
        ::close(STDOUT_FILENO);
        ::close(STDERR_FILENO);
        drain();
        ::_exit(0);
    }
    return 0;
}

bool RunKeeper::start()
{
    Descriptor readEnd;
    Descriptor writeEnd;
    if (!Descriptor::makePipe(readEnd, writeEnd)) {
        report(errno);
        return false;
    }

    Spawn spawn(STDERR_FILENO);
    spawn.duplicate(writeEnd.get(), STDOUT_FILENO);
    spawn.duplicate(writeEnd.get(), STDERR_FILENO);

    std::vector<char *> words;
    for (std::string &word : m_command)
        words.push_back(word.data());
    words.push_back(nullptr);
    const int spawned = spawn.start(&m_pid, words.front(), words.data(), environ);
    if (spawned != 0) {
        report(spawned);
        return false;
    }
    m_output = readEnd.release();
    return true;
}

void RunKeeper::pass(const char *bytes, std::size_t size)
{
    while (m_passing && size > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes, size);
        if (written < 0) {
            // The app has gone: the command's output is dropped from now on.
            if (errno != EINTR)
                m_passing = false;
            continue;
        }
        bytes += written;
        size -= std::size_t(written);
    }
}

void RunKeeper::drain()
{
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(m_output, buffer, sizeof buffer);
        if (count == 0 || (count < 0 && errno != EINTR))
            return;
    }
}

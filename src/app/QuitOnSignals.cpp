#include "app/QuitOnSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler can reach nothing but globals, and may only call
// async-signal-safe functions such as write.
int signalWriteEnd = -1;

extern "C" void onQuitSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
    errno = saved;
}

// A socket pair whose ends are close-on-exec and do not block: the handler
// must never wait on a full buffer, and the reader drains it all.
bool makeSocketPair(int fds[2])
{
#ifdef __linux__
    return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) == 0;
#else
    // The app starts its children with only the descriptors they are
    // handed, so setting the flags after the fact leaks nothing.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        return false;
    for (int index = 0; index < 2; ++index) {
        const int flags = ::fcntl(fds[index], F_GETFL);
        if (::fcntl(fds[index], F_SETFD, FD_CLOEXEC) != 0 || flags < 0 ||
            ::fcntl(fds[index], F_SETFL, flags | O_NONBLOCK) != 0) {
            ::close(fds[0]);
            ::close(fds[1]);
            return false;
        }
    }
    return true;
#endif
}

} // namespace

QuitOnSignals::QuitOnSignals(QObject *parent) : QObject(parent)
{
    int fds[2];
    if (signalWriteEnd >= 0 || !makeSocketPair(fds)) {
        qWarning("Quitting on SIGTERM, SIGINT and SIGHUP is not available");
        return;
    }
    m_readEnd = fds[0];
    signalWriteEnd = fds[1];

    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(m_readEnd, bytes, sizeof bytes) > 0) {
        }
        // At once, without asking: a session that is ending cannot answer
        // a question, and the runs under way go on in their keepers.
        // (quit() would first try to close every window, which asks.)
        QCoreApplication::exit(0);
    });

    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    // Blocking calls on the worker threads go on after the handler.
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < std::size(signalNumbers); ++index)
        ::sigaction(signalNumbers[index], &action, &m_previous[index]);
}

QuitOnSignals::~QuitOnSignals()
{
    if (!m_notifier)
        return;
    for (std::size_t index = 0; index < std::size(signalNumbers); ++index)
        ::sigaction(signalNumbers[index], &m_previous[index], nullptr);
    ::close(signalWriteEnd);
    signalWriteEnd = -1;
    ::close(m_readEnd);
}

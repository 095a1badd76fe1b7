#include "runner/Descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

void Descriptor::reset(int fd)
{
    if (m_fd >= 0) {
        // Keeps errno for the caller's message, whatever close says.
        const int saved = errno;
        ::close(m_fd);
        errno = saved;
    }
    m_fd = fd;
}

int Descriptor::release()
{
    return std::exchange(m_fd, -1);
}

bool Descriptor::makePipe(Descriptor &readEnd, Descriptor &writeEnd)
{
    int fds[2];
#ifdef __linux__
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
#else
    // Between pipe and fcntl another thread's fork could inherit the ends;
    // the children this app starts close everything they are not handed
    // (POSIX_SPAWN_CLOEXEC_DEFAULT), so none of them can hold one open.
    if (::pipe(fds) != 0)
        return false;
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    if (::fcntl(fds[0], F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(fds[1], F_SETFD, FD_CLOEXEC) != 0)
        return false;
#endif
    return true;
}

// Linux-only calls where macOS would meet them. Not built: the portability
// check reads it and must report exactly what expected.txt lists.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

// pipe2 in a comment, "pipe2 in a string", R"(pipe2 in a raw string)" and a
// member named like one (x.pipe2, x->accept4, Type::dup3) are no calls.
int planted(int fds[2])
{
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    return socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

#ifdef __linux__
// A Linux branch with nothing portable beside it.
int onlyLinux(int fd) { return dup3(fd, 3, O_CLOEXEC); }
#endif

#ifdef __APPLE__
int wrongBranch(int fds[2]) { return pipe2(fds, 0); }
#endif

#ifndef __linux__
int portable(int fds[2]) { return pipe(fds); }
#else
// The #else of #ifndef __linux__ is Linux's own.
int linuxOwn(int fds[2]) { return pipe2(fds, O_CLOEXEC); }
#endif

#if defined(__linux__) && !defined(TARNWICK_NO_PIPE2)
int mended(int fds[2]) { return pipe2(fds, O_CLOEXEC); }
#elif defined(__APPLE__)
int mended(int fds[2]) { return pipe(fds); }
#endif

// Wrapper's own pipe2 is declared elsewhere; its calls are no system calls.
int member(const Wrapper &x, const Wrapper *y)
{
    const char *text = "pipe2(";
    return x.pipe2(1) + y->pipe2(2) + (text != nullptr);
}

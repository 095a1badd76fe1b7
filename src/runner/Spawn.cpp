#include "runner/Spawn.h"

#include <csignal>
#include <initializer_list>
#include <fcntl.h>
#include <unistd.h>

Spawn::Spawn(int lastKept) : m_lastKept(lastKept)
{
    posix_spawn_file_actions_init(&m_actions);
    posix_spawnattr_init(&m_attributes);
    // The child starts with the signal handling a freshly started program
    // has, whatever the spawning thread inherited or set up for itself.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGHUP, SIGINT, SIGTERM, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&m_attributes, &none);
    posix_spawnattr_setsigdefault(&m_attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef __APPLE__
    // Everything not named in a file action is closed; standard input is
    // inherited as it is.
    posix_spawn_file_actions_addinherit_np(&m_actions, STDIN_FILENO);
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
    posix_spawnattr_setflags(&m_attributes, flags);
}

Spawn::~Spawn()
{
    posix_spawnattr_destroy(&m_attributes);
    posix_spawn_file_actions_destroy(&m_actions);
}

void Spawn::duplicate(int from, int to)
{
    posix_spawn_file_actions_adddup2(&m_actions, from, to);
}

void Spawn::discard(int fd)
{
    posix_spawn_file_actions_addopen(&m_actions, fd, "/dev/null", O_WRONLY, 0);
}

int Spawn::start(pid_t *pid, const char *path, char *const argv[], char *const envp[])
{
#ifdef __linux__
    // After the other file actions, whose sources it closes too.
    posix_spawn_file_actions_addclosefrom_np(&m_actions, m_lastKept + 1);
#else
    // macOS closes what is not named (POSIX_SPAWN_CLOEXEC_DEFAULT); elsewhere
    // the app's own descriptors are close-on-exec, and that must do.
    (void)m_lastKept;
#endif
    return ::posix_spawn(pid, path, &m_actions, &m_attributes, argv, envp);
}

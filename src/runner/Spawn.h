#pragma once

#include <spawn.h>
#include <sys/types.h>

// One posix_spawn of a child that starts clean: default signal handling,
// nothing blocked, and only the descriptors it is given. A descriptor the
// spawning process inherited without close-on-exec, or another thread's
// pipe, never reaches it. Plain POSIX and no Qt: the app and the run keeper
// both start their children through it.
class Spawn
{
public:
    // The child keeps descriptors 0 up to lastKept; the file actions below
    // put there what it should have.
    explicit Spawn(int lastKept);
    ~Spawn();
    Spawn(const Spawn &) = delete;
    Spawn &operator=(const Spawn &) = delete;

    // Makes from a copy of to in the child.
    void duplicate(int from, int to);
    // Opens /dev/null for writing as fd in the child.
    void discard(int fd);

    // Starts path with argv and envp; 0, or the error number.
    int start(pid_t *pid, const char *path, char *const argv[], char *const envp[]);

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
    int m_lastKept;
};

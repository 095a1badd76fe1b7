#pragma once

#include <sys/stat.h>
#include <sys/types.h>

// Sets the process's umask for one scope and puts the old one back.
class Umask
{
public:
    explicit Umask(mode_t mask) : m_previous(::umask(mask)) {}
    ~Umask() { ::umask(m_previous); }
    Umask(const Umask &) = delete;
    Umask &operator=(const Umask &) = delete;

private:
    mode_t m_previous;
};

#pragma once

// Owns one file descriptor, so that every early return closes it. Plain
// POSIX and no Qt: the run keeper and the launcher use it as well.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor &&other) noexcept : m_fd(other.release()) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset(int fd = -1);
    int release();

    // A pipe whose two ends are close-on-exec from the moment they exist, so
    // a child started by another thread at the same moment never inherits
    // one and holds its end of stream open. False, with errno, on failure.
    static bool makePipe(Descriptor &readEnd, Descriptor &writeEnd);

private:
    int m_fd;
};

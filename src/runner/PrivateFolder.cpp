#include "runner/PrivateFolder.h"

#include "runner/Descriptor.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Far deeper than anything a run makes; keeps a folder tree that someone
// with the owner's rights built on purpose from exhausting the stack.
constexpr int deepest = 64;

bool sameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

void removeContent(int folder, int depth)
{
    // fdopendir takes its descriptor over; the folder's own stays open.
    const int listing = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (listing < 0)
        return;
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return;
    }
    ::rewinddir(entries);
    while (const dirent *entry = ::readdir(entries)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat status;
        if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISDIR(status.st_mode)) {
            // A link is removed itself, whatever it points to.
            ::unlinkat(folder, name, 0);
            continue;
        }
        if (depth < deepest) {
            const Descriptor inner(
                ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (inner.isOpen())
                removeContent(inner.get(), depth + 1);
        }
        ::unlinkat(folder, name, AT_REMOVEDIR);
    }
    ::closedir(entries);
}

} // namespace

PrivateFolder::Exposure PrivateFolder::exposure(const struct stat &status, uid_t user)
{
    if (status.st_uid != user && status.st_uid != 0)
        return Exposure::OwnedByOther;
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) && !(status.st_mode & S_ISVTX))
        return Exposure::SharedWithoutSticky;
    return Exposure::None;
}

int PrivateFolder::make(int parent, const char *name)
{
    if (::mkdirat(parent, name, S_IRWXU) != 0)
        return -errno;
    Descriptor folder(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isOpen()) {
        const int error = errno;
        // Only an empty folder goes, never a link: at worst one that was
        // swapped in for ours, which is no loss to anyone.
        ::unlinkat(parent, name, AT_REMOVEDIR);
        return -error;
    }
    // The umask can only take permissions away; fchmod makes the folder
    // exactly 0700, so the owner can always write the request into it.
    struct stat status;
    if (::fstat(folder.get(), &status) != 0 || status.st_uid != ::geteuid() ||
        ::fchmod(folder.get(), S_IRWXU) != 0) {
        const int error = errno ? errno : EPERM;
        remove(parent, name, folder.get());
        return -error;
    }
    return folder.release();
}

int PrivateFolder::writeNew(int folder, const char *name, const void *data, std::size_t size)
{
    const Descriptor file(::openat(
        folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (!file.isOpen())
        return errno;
    if (::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0)
        return errno;
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = ::write(file.get(), bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes += written;
        size -= std::size_t(written);
    }
    return 0;
}

void PrivateFolder::remove(int parent, const char *name, int folder)
{
    removeContent(folder, 0);
    struct stat ours;
    struct stat there;
    if (::fstat(folder, &ours) == 0 && ::fstatat(parent, name, &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(there.st_mode) && sameFile(ours, there)) {
        ::unlinkat(parent, name, AT_REMOVEDIR);
    }
}

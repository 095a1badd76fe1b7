#pragma once

#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

// A run's request folder, made, filled and removed through descriptors only.
// Other users may share the temporary folder it lies in; working from the
// folder's own descriptor means a link or folder swapped in under its name is
// never followed, so nothing outside what the run made is changed or removed.
// Plain POSIX and no Qt: the run keeper and the launcher use it as well.
namespace PrivateFolder {

// Why a folder is no place for request folders: someone other than its owner
// and root could rename or replace entries in it.
enum class Exposure
{
    None,
    // Group or others may write into it, and the sticky bit does not stop
    // them from renaming entries they do not own.
    SharedWithoutSticky,
    // Someone else owns it, so they could rename what is in it at will.
    OwnedByOther
};

// How exposed the folder with this status is, for a process running as user.
Exposure exposure(const struct stat &status, uid_t user);

// Makes the folder name in the folder open at parent, exactly 0700 whatever
// the umask, and returns a descriptor of it (close-on-exec); or -errno. What
// was already there under that name is left alone.
int make(int parent, const char *name);

// Writes a new file name into the folder open at folder, owner read and
// write only; 0, or errno. Fails with EEXIST rather than follow or replace
// anything already there.
int writeNew(int folder, const char *name, const void *data, std::size_t size);

// Removes the folder open at folder, found as name in the folder open at
// parent, with everything in it; links inside are removed, never followed.
// When name no longer leads to that very folder, only its content goes.
void remove(int parent, const char *name, int folder);

} // namespace PrivateFolder

#include "RequestFileCheck.h"

#include "runner/Descriptor.h"
#include "runner/PrivateFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr char fileName[] = "request.json";

std::string reason(int error)
{
    return std::strerror(error);
}

} // namespace

std::string RequestFileCheck::refusal(const std::string &path, uid_t user)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || path.compare(slash + 1, std::string::npos, fileName) != 0)
        return "the request file must be named request.json";
    const std::size_t folderSlash = slash == 0 ? std::string::npos : path.rfind('/', slash - 1);
    if (folderSlash == std::string::npos)
        return "the request file must lie in a request folder";
    const std::string folderName = path.substr(folderSlash + 1, slash - folderSlash - 1);
    if (folderName.empty() || folderName == "." || folderName == "..")
        return "the request file must lie in a request folder";
    const std::string parentPath = folderSlash == 0 ? "/" : path.substr(0, folderSlash);

    // The folders above may be reached through links (a temporary folder
    // often is); the request folder and the file may not.
    const Descriptor parent(::open(parentPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status;
    if (!parent.isOpen() || ::fstat(parent.get(), &status) != 0)
        return "cannot open the folder " + parentPath + ": " + reason(errno);
    if (PrivateFolder::exposure(status, user) != PrivateFolder::Exposure::None)
        return "others could rename or replace what is in the folder " + parentPath;

    const Descriptor folder(::openat(parent.get(), folderName.c_str(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isOpen()) {
        if (errno == ELOOP || errno == ENOTDIR)
            return "its folder is a link or no folder at all";
        return "cannot open its folder: " + reason(errno);
    }
    if (::fstat(folder.get(), &status) != 0)
        return "cannot read its folder: " + reason(errno);
    if (status.st_uid != user)
        return "its folder does not belong to the user who asked";
    if ((status.st_mode & 07777) != S_IRWXU)
        return "its folder is not private to its owner (mode 0700)";

    if (::fstatat(folder.get(), fileName, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return reason(errno);
    if (S_ISLNK(status.st_mode))
        return "it is a link";
    if (!S_ISREG(status.st_mode))
        return "it is not a regular file";
    if (status.st_uid != user)
        return "it does not belong to the user who asked";
    if (status.st_mode & (S_IRWXG | S_IRWXO))
        return "others may read or write it";
    return {};
}

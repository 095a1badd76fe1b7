#include "runner/InstalledLauncher.h"

#include "InstalledProgram.h"

#include <QFileInfo>

namespace {

bool onlyRootWrites(const QFileInfo &info)
{
    // ownerId and permissions describe the target of a link; a link itself
    // counts through the folder it lies in.
    return info.ownerId() == 0 &&
           !(info.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

} // namespace

QString InstalledLauncher::path()
{
    return QString::fromUtf8(TARNWICK_LAUNCHER_PATH_UTF8);
}

std::optional<QString> InstalledLauncher::ifTrusted(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isAbsolute() || !file.isFile() || !file.isExecutable() || !onlyRootWrites(file))
        return std::nullopt;
    if (!onlyRootWrites(QFileInfo(file.absolutePath())))
        return std::nullopt;
    return path;
}

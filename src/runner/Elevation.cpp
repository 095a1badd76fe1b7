#include "runner/Elevation.h"

#include "runner/InstalledLauncher.h"
#include "runner/OsascriptElevation.h"
#include "runner/PkexecElevation.h"

#include <QLoggingCategory>

namespace {

// Says which way the management script will be run, for an administrator
// wondering why the password dialog reads as it does.
Q_LOGGING_CATEGORY(elevationLog, "tarnwick.elevation", QtWarningMsg)

} // namespace

Elevation::~Elevation() = default;

std::shared_ptr<const Elevation> Elevation::platformDefault()
{
#ifdef Q_OS_MACOS
    return std::make_shared<OsascriptElevation>();
#else
    const QString path = InstalledLauncher::path();
    const std::optional<QString> launcher = InstalledLauncher::ifTrusted(path);
    if (launcher)
        qCInfo(elevationLog, "pkexec runs the installed launcher %s", qUtf8Printable(path));
    else
        qCInfo(elevationLog, "no trusted launcher at %s: pkexec runs the command line itself",
               qUtf8Printable(path));
    return std::make_shared<PkexecElevation>(launcher);
#endif
}

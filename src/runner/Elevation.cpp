#include "runner/Elevation.h"

#include "runner/OsascriptElevation.h"
#include "runner/PkexecElevation.h"

Elevation::~Elevation() = default;

std::shared_ptr<const Elevation> Elevation::platformDefault()
{
#ifdef Q_OS_MACOS
    return std::make_shared<OsascriptElevation>();
#else
    return std::make_shared<PkexecElevation>();
#endif
}

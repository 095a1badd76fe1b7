#pragma once

#include "runner/Elevation.h"

// Elevation through polkit. pkexec asks the desktop's authentication agent for
// an administrator's password; without an agent it prints its own reason,
// which then becomes the run's output like anything else it prints.
class PkexecElevation final : public Elevation
{
public:
    QStringList command(const QString &node, const QString &script,
                        const QString &request) const override;
};

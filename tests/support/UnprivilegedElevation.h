#pragma once

#include "runner/Elevation.h"

// The command line the real elevation runs, without asking for rights, so
// tests exercise everything but the password prompt.
class UnprivilegedElevation final : public Elevation
{
public:
    QStringList command(const QString &node, const QString &script,
                        const QString &request) const override;
};

#pragma once

#include "runner/Elevation.h"

// Elevation on macOS: osascript runs a short AppleScript that has the system
// authenticate an administrator and then runs the command through the shell,
// each path single-quoted by AppleScript's "quoted form of".
class OsascriptElevation final : public Elevation
{
public:
    static QString script();

    QStringList command(const QString &node, const QString &script,
                        const QString &request) const override;
};

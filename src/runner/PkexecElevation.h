#pragma once

#include "runner/Elevation.h"

#include <optional>

// Elevation through polkit. pkexec asks the desktop's authentication agent for
// an administrator's password; without an agent it prints its own reason,
// which then becomes the run's output like anything else it prints.
class PkexecElevation final : public Elevation
{
public:
    // With a launcher, pkexec runs it on the request alone: the launcher has
    // the installed program's paths built in and polkit has an action for it,
    // so the password dialog says in words what is about to happen. Without
    // one, pkexec gets the whole command line and shows that.
    explicit PkexecElevation(std::optional<QString> launcher = std::nullopt);

    const std::optional<QString> &launcher() const { return m_launcher; }

    // With a launcher, node and script are the launcher's own, not these.
    QStringList command(const QString &node, const QString &script,
                        const QString &request) const override;

private:
    std::optional<QString> m_launcher;
};

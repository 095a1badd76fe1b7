#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// Finds the personal invitation in a run's output: the first non-empty line
// that begins with "Tarnwick invite ", returned whole and untrimmed.
namespace Invitation {

std::optional<QString> find(QStringView text);

} // namespace Invitation

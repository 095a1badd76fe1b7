#pragma once

#include "catalogue/LocalAddress.h"
#include "runner/ServerProgram.h"

#include <QList>
#include <optional>

// Asks the server program, run as the user, which network addresses this
// machine offers. Any failure is silent: the caller simply gets nothing.
namespace AddressDiscovery {

// The longest listing taken; anything longer counts as a failed listing.
inline constexpr qsizetype listingLimit = qsizetype(1) << 20;

// Blocks until the server script has ended; call it off the GUI thread.
std::optional<QList<LocalAddress>> run(const ServerProgram &program);

} // namespace AddressDiscovery

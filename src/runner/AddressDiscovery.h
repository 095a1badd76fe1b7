#pragma once

#include "catalogue/LocalAddress.h"
#include "runner/ServerProgram.h"

#include <QList>
#include <optional>

// Asks the server program, run as the user, which network addresses this
// machine offers. Any failure is silent: the caller simply gets nothing.
class AddressDiscovery
{
public:
    // Blocks until the server script has ended; call it off the GUI thread.
    static std::optional<QList<LocalAddress>> run(const ServerProgram &program);
};

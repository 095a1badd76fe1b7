#include "runner/AddressDiscovery.h"

#include "catalogue/AddressListing.h"
#include "runner/ChildProcess.h"

std::optional<QList<LocalAddress>> AddressDiscovery::run(const ServerProgram &program)
{
    // Run as the user, directly, with nothing of the app's own environment.
    const ChildProcess::Result child = ChildProcess::run(
        {program.node(), program.serverScript(), QStringLiteral("lan-addresses")},
        ChildProcess::ErrorStream::Discarded,
        QStringList{QStringLiteral("PATH=/usr/bin:/bin"), QStringLiteral("LANG=en_US.UTF-8")});
    if (!child.started)
        return std::nullopt;
    return AddressListing::decode(child.output);
}

#include "runner/AddressDiscovery.h"

#include "catalogue/AddressListing.h"
#include "runner/ChildProcess.h"

QStringList AddressDiscovery::command(const ServerProgram &program)
{
    return {program.node(), program.serverScript(), QStringLiteral("lan-addresses")};
}

QStringList AddressDiscovery::environment()
{
    return {QStringLiteral("PATH=/usr/bin:/bin"), QStringLiteral("LANG=en_US.UTF-8")};
}

std::optional<QList<LocalAddress>> AddressDiscovery::run(const ServerProgram &program)
{
    const ChildProcess::Result child =
        ChildProcess::run(command(program), ChildProcess::ErrorStream::Discarded, environment());
    if (!child.started)
        return std::nullopt;
    return AddressListing::decode(child.output);
}

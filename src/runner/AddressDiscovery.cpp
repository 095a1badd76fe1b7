#include "runner/AddressDiscovery.h"

#include "catalogue/AddressListing.h"
#include "runner/ChildProcess.h"

std::optional<QList<LocalAddress>> AddressDiscovery::run(const ServerProgram &program)
{
    // Run as the user, directly, with nothing of the app's own environment.
    // A listing is a few hundred bytes; one past the limit is no listing,
    // and the rest is read and dropped so the script never blocks on it.
    QByteArray listing;
    bool tooLong = false;
    const ChildProcess::Result child = ChildProcess::run(
        {program.node(), program.serverScript(), QStringLiteral("lan-addresses")},
        ChildProcess::ErrorStream::Discarded,
        QStringList{QStringLiteral("PATH=/usr/bin:/bin"), QStringLiteral("LANG=en_US.UTF-8")},
        [&](QByteArrayView piece) {
            if (tooLong || listing.size() + piece.size() > listingLimit) {
                tooLong = true;
                listing.clear();
                listing.squeeze();
                return;
            }
            listing.append(piece);
        });
    if (!child.started || tooLong)
        return std::nullopt;
    return AddressListing::decode(listing);
}

#include "runner/AddressDiscovery.h"

#include "catalogue/AddressListing.h"
#include "runner/ChildProcess.h"
#include "runner/ServerContract.h"

std::optional<QList<LocalAddress>> AddressDiscovery::run(const ServerProgram &program)
{
    // Run as the user, directly, with nothing of the app's own environment.
    // A listing is a few hundred bytes; one past the limit is no listing,
    // and the rest is read and dropped so the script never blocks on it.
    QStringList environment;
    for (const char *variable : ServerContract::environment)
        environment.append(QString::fromLatin1(variable));
    QByteArray listing;
    bool tooLong = false;
    const ChildProcess::Result child = ChildProcess::run(
        {program.node(), program.serverScript(),
         QString::fromLatin1(ServerContract::listAddresses)},
        ChildProcess::ErrorStream::Discarded, environment, [&](QByteArrayView piece) {
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

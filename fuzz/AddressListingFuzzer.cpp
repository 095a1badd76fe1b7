// Fuzzes AddressListing::decode: a listing decodes whole or not at all.

#include "WholeArray.h"
#include "catalogue/AddressListing.h"

#include <cstddef>
#include <cstdint>

namespace {

void requireAddress(const LocalAddress &address, const QJsonObject &object)
{
    require(object.value(QStringLiteral("origin")) == QJsonValue(address.origin) &&
                object.value(QStringLiteral("bind")) == QJsonValue(address.bind) &&
                object.value(QStringLiteral("name")) == QJsonValue(address.name),
            "an address does not hold the members of its element");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    requireWholeOrNothing(input, &AddressListing::decode, requireAddress);
    return 0;
}

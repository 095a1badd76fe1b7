#pragma once

#include "catalogue/LocalAddress.h"

#include <QByteArray>
#include <QList>
#include <optional>

// Reads the address listing that the server program prints: a JSON array of
// address objects, decoded whole or not at all.
namespace AddressListing {

std::optional<QList<LocalAddress>> decode(const QByteArray &json);

} // namespace AddressListing

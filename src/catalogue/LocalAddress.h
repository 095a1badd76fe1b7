#pragma once

#include <QString>

// One network address on which the server could be reached, as the server
// program lists it. Its identity is its origin.
struct LocalAddress
{
    QString origin;
    QString bind;
    QString name;

    friend bool operator==(const LocalAddress &, const LocalAddress &) = default;
};

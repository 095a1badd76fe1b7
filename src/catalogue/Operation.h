#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One form of the catalogue: an administrative action, the texts that present
// it and its field rows in display order.
struct Operation
{
    QString id;
    QString title;
    QString info;
    QString button;
    QList<QStringList> fields;

    friend bool operator==(const Operation &, const Operation &) = default;
};

#pragma once

#include "catalogue/Operation.h"

#include <QByteArray>
#include <QList>

// Catalogues of any size for the benchmarks: forms whose rows take every kind
// of the format in turn, as operations and as the JSON the app would ship.
class SyntheticCatalogue
{
public:
    static QList<Operation> forms(int formCount, int rowCount);
    static QByteArray json(const QList<Operation> &forms);

    // The index of a plain text row near the middle of a form of rowCount rows.
    static int middleTextRow(int rowCount);

private:
    static QStringList row(int index);
    static QByteArray quoted(const QString &text);
};

#pragma once

#include "catalogue/Operation.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <optional>

// Reads the catalogue of setup forms. A document either decodes whole or not
// at all: any departure from the format, or a form that the window could not
// lay out, fails the entire catalogue so that no partial list is ever shown.
class Catalogue
{
public:
    static std::optional<QList<Operation>> decode(const QByteArray &json);

    // The catalogue in the file at path; empty when the file is missing,
    // unreadable or does not decode.
    static QList<Operation> load(const QString &path);

private:
    static bool isWellFormed(const Operation &operation);
};

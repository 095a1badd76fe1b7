#pragma once

#include "catalogue/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>

// Forms of the catalogue for tests, their texts made from their ids.
namespace TestForms {

// "Title of <id>", "About <id>", and the button "Run <id>" unless another
// is given.
Operation form(const QString &id, QList<QStringList> fields = {}, const QString &button = {});

} // namespace TestForms

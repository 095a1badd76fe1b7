#include "TestForms.h"

#include <utility>

Operation TestForms::form(const QString &id, QList<QStringList> fields, const QString &button)
{
    return {id, QStringLiteral("Title of ") + id, QStringLiteral("About ") + id,
            button.isEmpty() ? QStringLiteral("Run ") + id : button, std::move(fields)};
}

#include "RequestFolders.h"

#include <QDir>
#include <QRegularExpression>

namespace {

const QRegularExpression &uuid()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    return pattern;
}

} // namespace

bool RequestFolders::holdsRequestFile(const QString &path, const QString &temporary)
{
    const QString prefix = temporary + u'/';
    const QString suffix = QStringLiteral("/request.json");
    if (!path.startsWith(prefix) || !path.endsWith(suffix))
        return false;
    return uuid()
        .match(path.mid(prefix.size(), path.size() - prefix.size() - suffix.size()))
        .hasMatch();
}

QStringList RequestFolders::in(const QString &temporary)
{
    return QDir(temporary)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
        .filter(uuid());
}

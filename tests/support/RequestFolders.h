#pragma once

#include <QString>
#include <QStringList>

// Request folders as the runner names them: the temporary folder joined with
// an upper-case UUID.
class RequestFolders
{
public:
    // Whether path is "request.json" in such a folder right under temporary.
    static bool holdsRequestFile(const QString &path, const QString &temporary);
    // The request folders right under temporary, whatever else lies there.
    static QStringList in(const QString &temporary);
};

#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// Turns "run the management script on this request" into the command line
// that does so with administrator rights on this platform. The first word is
// the executable; every path is one word, so no path ever needs quoting.
class Elevation
{
public:
    virtual ~Elevation();

    virtual QStringList command(const QString &node, const QString &script,
                                const QString &request) const = 0;

    // The elevation this build was made for: osascript on macOS, pkexec elsewhere.
    static std::shared_ptr<const Elevation> platformDefault();
};

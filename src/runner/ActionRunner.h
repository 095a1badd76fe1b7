#pragma once

#include "runner/Elevation.h"
#include "runner/ServerProgram.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QMap>
#include <QString>

class RunningRequests;

// Carries out one action: writes the request into a private directory of its
// own, runs the management script on it with administrator rights, and turns
// whatever happened into the text for the result box. Every failure becomes
// that text too; the request directory never outlives the run.
class ActionRunner
{
    Q_DECLARE_TR_FUNCTIONS(ActionRunner)

public:
    static QJsonObject request(const QString &action, const QMap<QString, QString> &values);

    // Blocks for the whole run, authentication included; call it off the GUI
    // thread. The request directory is kept in running while the run lasts.
    static QString run(const QJsonObject &request, const ServerProgram &program,
                       const Elevation &elevation, const QString &temporaryDirectory,
                       RunningRequests &running);
    static QString run(const QJsonObject &request, const ServerProgram &program,
                       const Elevation &elevation, const QString &temporaryDirectory);

    // Writes the request file, refusing to replace or follow anything already
    // at path. Empty when written, else why not.
    static QString writeRequest(const QString &path, const QJsonObject &request);

private:
    static QString runIn(const QString &directory, const QJsonObject &request,
                         const ServerProgram &program, const Elevation &elevation);
};

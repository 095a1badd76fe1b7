#pragma once

#include "runner/Elevation.h"
#include "runner/ServerProgram.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QMap>
#include <QString>

class RunGate;

// Carries out one action: writes the request into a private folder of its
// own, has the run keeper start the management script on it with
// administrator rights, and turns whatever happened into the text for the
// result box. Every failure becomes that text too.
//
// The command runs in the keeper's process, not in the app's, so it runs to
// its end whatever becomes of the app; the keeper removes the request folder
// once the command has ended. The folder is made, written and (on a failure
// before the keeper takes it over) removed through descriptors only, so a
// folder swapped in under its name by someone else is never followed.
class ActionRunner
{
    Q_DECLARE_TR_FUNCTIONS(ActionRunner)

public:
    // The most of a run's output that is kept as text; the rest is read and
    // dropped, and a last line says how much.
    static constexpr qsizetype outputLimit = qsizetype(16) << 20;

    static QJsonObject request(const QString &action, const QMap<QString, QString> &values);

    // Blocks until the command has ended and its output is in, authentication
    // included; call it off the GUI thread. keeper is the run keeper's
    // executable; the request folder is made in temporaryDirectory while the
    // gate lets runs start.
    static QString run(const QJsonObject &request, const ServerProgram &program,
                       const Elevation &elevation, const QString &keeper,
                       const QString &temporaryDirectory, RunGate &gate);

    // The run keeper installed with the app, found beside its executable.
    static QString installedKeeper();
};

#pragma once

#include "runner/Elevation.h"
#include "runner/RunGate.h"
#include "runner/ServerProgram.h"

#include <QString>
#include <memory>

// What the form states of the app's windows run things with. Built once at
// the top, by the app for the installed program or by a test for one of its
// own, and handed to every window: the windows share the elevation and the
// gate, and no form state looks anything up for itself.
struct SetupServices
{
    // The installed server program.
    ServerProgram program;
    // How the management script gets administrator rights.
    std::shared_ptr<const Elevation> elevation;
    // The run keeper's executable, which starts each run's command.
    QString keeper;
    // Shared by every window's runs: quitting closes it, so that a run being
    // started is waited for and none starts later.
    std::shared_ptr<RunGate> gate;
};

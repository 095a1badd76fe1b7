#pragma once

#include "form/SetupServices.h"

#include <QString>

// The services a test's form states and windows run things with.
namespace TestServices {

// Runs go through the fake program in directory without asking for rights
// (UnprivilegedElevation), through the run keeper built with the tests.
SetupServices forProgram(const QString &directory);

// For form states and windows that never run anything: a program folder
// that does not exist.
SetupServices unused();

} // namespace TestServices

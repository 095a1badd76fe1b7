#pragma once

#include <QString>

// The baseline of the output path: cat prints a file into a pipe and a
// second cat reads the pipe into /dev/null; run returns once both have ended.
class PipeCopy
{
public:
    static bool run(const QString &path);
};

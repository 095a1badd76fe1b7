// Runs the management script of the installed server program on one request
// file. pkexec starts it as root; polkit knows it by its installed path and so
// describes the run in plain words instead of showing a command line.

#include "LaunchCommand.h"
#include "LauncherProgram.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr char name[] = "tarnwick-setup-launcher";
constexpr int usageExit = 2;
// What a shell reports for a command it could not run.
constexpr int cannotRunExit = 127;

} // namespace

int main(int argc, char *argv[])
{
    // argc is 0 when a caller passes no name at all.
    const std::vector<std::string> arguments =
        argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
    const LaunchCommand command(TARNWICK_LAUNCHER_PROGRAM_DIR_UTF8, arguments);
    if (!command.isValid()) {
        std::fprintf(stderr, "%s: %s\n", name, command.error().c_str());
        return usageExit;
    }

    std::vector<char *> words;
    for (const std::string &word : command.words())
        words.push_back(const_cast<char *>(word.c_str()));
    words.push_back(nullptr);
    ::execv(words.front(), words.data());
    std::fprintf(stderr, "%s: could not run %s: %s\n", name, words.front(), std::strerror(errno));
    return cannotRunExit;
}

// Runs the management script of the installed server program on one request
// file. pkexec starts it as root; polkit knows it by its installed path and so
// describes the run in plain words instead of showing a command line.

#include "LaunchCommand.h"
#include "LauncherProgram.h"
#include "RequestFileCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

constexpr char name[] = "tarnwick-setup-launcher";
constexpr int usageExit = 2;
// What a shell reports for a command it could not run.
constexpr int cannotRunExit = 127;

// Whom the request must belong to: the user pkexec authenticated for, named
// in PKEXEC_UID; run without pkexec, whoever runs it.
std::optional<uid_t> askingUser()
{
    const char *text = std::getenv("PKEXEC_UID");
    if (!text)
        return ::getuid();
    char *end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *text == '\0' || *end != '\0' || value > (unsigned long long)(uid_t(-1)))
        return std::nullopt;
    return uid_t(value);
}

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
    const std::optional<uid_t> user = askingUser();
    if (!user) {
        std::fprintf(stderr, "%s: PKEXEC_UID is not a user id\n", name);
        return usageExit;
    }
    const std::string &request = arguments.front();
    if (const std::string refusal = RequestFileCheck::refusal(request, *user); !refusal.empty()) {
        std::fprintf(stderr, "%s: refused the request file \"%s\": %s\n", name, request.c_str(),
                     refusal.c_str());
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

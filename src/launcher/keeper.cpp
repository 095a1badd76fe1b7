// Starts the privileged command of one run for the app and sees it through to
// its end, whatever becomes of the app meanwhile (see RunKeeper).
//
//   tarnwick-setup-keeper FOLDER-NAME PROGRAM [ARGUMENT…]
//
// with the temporary folder, the request folder FOLDER-NAME in it and the
// start report pipe as descriptors 3, 4 and 5.

#include "RunKeeper.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "tarnwick-setup-keeper: expected a request folder name and a "
                             "command to run\n");
        if (argc == 2)
            RunKeeper::removeRequest(argv[1]);
        return 2;
    }

    // A session of its own: a terminal's Ctrl+C or hangup meant for the app
    // must not reach the command through the keeper. An app that has gone
    // shows as a broken pipe, which ends the passing on, not the keeper.
    ::setsid();
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (const int signal : {SIGPIPE, SIGHUP, SIGINT})
        ::sigaction(signal, &ignore, nullptr);

    RunKeeper keeper(argv[1], std::vector<std::string>(argv + 2, argv + argc));
    return keeper.run();
}

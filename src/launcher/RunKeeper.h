#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Starts the privileged command of one run and sees it through, in a small
// process of its own. pkexec ends its command when the thread that started
// it ends, and the app's threads end with the app; so the command is started
// here, where nothing ends early: quitting the app, closing its window or
// losing its display leaves the command to run to its end. The request file
// stays until then; afterwards the keeper removes the request folder and
// exits.
//
// While the app lives, the command's output is passed on to it. Once the
// command has ended, what its background children still print is passed on
// until the output has been quiet for a few seconds; then the app gets the
// end of its stream, and anything later is read and dropped, so a writer
// that lingers never blocks and never keeps the app waiting.
class RunKeeper
{
public:
    // What the app hands over, as descriptors: the temporary folder, the
    // request folder (named folderName in it), and the pipe on which the
    // keeper reports a command it could not start.
    static constexpr int temporaryFolder = 3;
    static constexpr int requestFolder = 4;
    static constexpr int startReport = 5;

    // How long the output of an ended command may stay quiet before the app
    // is given its end.
    static constexpr int quietMilliseconds = 5000;

    RunKeeper(std::string folderName, std::vector<std::string> command);

    // Runs the command to its end; returns the keeper's exit status.
    int run();

    // Removes the request folder handed over, as an early failure must too.
    static void removeRequest(const char *folderName);

private:
    bool start();
    void pass(const char *bytes, std::size_t size);
    void drain();

    std::string m_folderName;
    std::vector<std::string> m_command;
    pid_t m_pid = -1;
    int m_output = -1;
    // Whether the app still takes the output; false once it has gone.
    bool m_passing = true;
};

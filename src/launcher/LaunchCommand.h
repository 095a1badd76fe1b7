#pragma once

#include <string>
#include <vector>

// The command line the launcher replaces itself with: the management script of
// the program directory it was built for, run by that program's node on the one
// request file it was given, in the same bare environment the app's own
// command line gives it. Anything but a single absolute path is refused, so
// nothing a caller passes can add a word, an option or a variable to it.
class LaunchCommand
{
public:
    // arguments are the launcher's own, without its name.
    LaunchCommand(const std::string &programDirectory, const std::vector<std::string> &arguments);

    bool isValid() const { return m_error.empty(); }
    // Why the arguments were refused, in a plain sentence; empty when valid.
    const std::string &error() const { return m_error; }
    // The executable's path first, then its arguments; empty when refused.
    const std::vector<std::string> &words() const { return m_words; }

private:
    std::vector<std::string> m_words;
    std::string m_error;
};

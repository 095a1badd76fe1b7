#include "LaunchCommand.h"

LaunchCommand::LaunchCommand(const std::string &programDirectory,
                             const std::vector<std::string> &arguments)
{
    if (arguments.size() != 1) {
        m_error = "expected exactly one argument, the absolute path of a request file, but got " +
                  std::to_string(arguments.size());
        return;
    }
    const std::string &request = arguments.front();
    // An absolute path starts with '/', so it can be neither an option nor a
    // variable assignment to env, nor be looked up anywhere.
    if (request.empty() || request.front() != '/') {
        m_error = "the request file path must be absolute, but got \"" + request + "\"";
        return;
    }
    // The same words PkexecElevation spells out when there is no launcher.
    m_words = {"/usr/bin/env",
               "-i",
               "PATH=/usr/bin:/bin",
               "LANG=en_US.UTF-8",
               programDirectory + "/node",
               programDirectory + "/desktop/manage.mjs",
               request};
}

#include "LaunchCommand.h"

#include "runner/ServerContract.h"

#include <iterator>

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
    m_words.assign(std::begin(ServerContract::bareEnvironment),
                   std::end(ServerContract::bareEnvironment));
    m_words.insert(m_words.end(), {programDirectory + ServerContract::node,
                                   programDirectory + ServerContract::manageScript, request});
}

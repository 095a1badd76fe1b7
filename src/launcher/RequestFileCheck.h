#pragma once

#include <string>
#include <sys/types.h>

// What the launcher checks before it runs anything as root: that the request
// file is one the user who authenticated wrote for this run and that nobody
// else could have swapped. pkexec hands the launcher a path that the caller
// chose, so without these checks any file could be passed to the management
// script as a request: /etc/shadow, a file another user planted, or one in a
// folder where others can rename entries.
namespace RequestFileCheck {

// Empty when path may be run; else why not, in a plain sentence. path is
// absolute. user is the uid of whoever asked pkexec to run the launcher.
std::string refusal(const std::string &path, uid_t user);

} // namespace RequestFileCheck

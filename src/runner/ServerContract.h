#pragma once

// What the app passes the installed server program and relies on, in one
// place: the paths under the program folder and the bare environment both
// scripts run in. Plain C++ without Qt: the launcher, which runs the
// management script as root, spells its command line from the same words.
namespace ServerContract {

// Appended to the program folder.
inline constexpr char node[] = "/node";
inline constexpr char manageScript[] = "/desktop/manage.mjs";
inline constexpr char serverScript[] = "/server/tarnwick.mjs";

// The server script's one argument, for the address listing.
inline constexpr char listAddresses[] = "lan-addresses";

// The whole environment of both scripts.
inline constexpr const char *environment[] = {"PATH=/usr/bin:/bin", "LANG=en_US.UTF-8"};

// The words that start a script in that environment and nothing else: env
// with -i, then the variables; node, the script and its argument follow.
inline constexpr const char *bareEnvironment[] = {"/usr/bin/env", "-i", environment[0],
                                                  environment[1]};

} // namespace ServerContract

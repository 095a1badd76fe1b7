#pragma once

#include <QString>
#include <optional>

// Finds the launcher installed with the app. Its absolute path is fixed at
// build time from the install prefix, which a build tree never installs to, so
// a build tree finds nothing there and spells the command line out instead.
namespace InstalledLauncher {

// Where this build's installation puts the launcher.
QString path();

// path, when the file there may be handed to pkexec as the launcher.
// polkit describes whatever lies at the launcher's path with the app's plain
// message, and pkexec runs it as root once someone authenticates, so only a
// file that nobody but root can have placed or changed counts: a root-owned
// executable, in a root-owned folder, neither of them writable by group or
// others.
std::optional<QString> ifTrusted(const QString &path);

} // namespace InstalledLauncher

// Start-up of tarnwick-setup against the floor program: the time from
// starting the process to its window being mapped on the X display, and the
// resident memory at that moment. Run on a display of its own (Xvfb).
//
//   tarnwick-bench-startup ROUNDS APP FLOOR
#include "FigureLine.h"
#include "MapWatcher.h"
#include "SideBySide.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// VmRSS of a live process in KiB; the kernel reports it in kB (1024 bytes).
double residentKiB(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble();
    }
    return -1;
}

// Starts the program, waits for its window, measures, and kills it: what it
// does after the window is mapped is no part of the figure.
SideBySide::Sample startOnce(MapWatcher &watcher, const QByteArray &program)
{
    watcher.drain();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The toolkit's warnings about the bare display would repeat every run.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char *argv[] = {const_cast<char *>(program.constData()), nullptr};

    pid_t pid = 0;
    const MapWatcher::Clock::time_point start = MapWatcher::Clock::now();
    const int spawned = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.constData());
        std::exit(EXIT_FAILURE);
    }
    const auto mapped = watcher.waitForWindowOf(pid, start + std::chrono::seconds(30));
    const double resident = residentKiB(pid);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    if (!mapped || resident < 0) {
        std::fprintf(stderr, "%s mapped no window within 30 s\n", program.constData());
        std::exit(EXIT_FAILURE);
    }
    const std::chrono::duration<double, std::milli> elapsed = *mapped - start;
    return {elapsed.count(), resident};
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ROUNDS APP FLOOR\n", argv[0]);
        return EXIT_FAILURE;
    }
    const int rounds = std::atoi(argv[1]);
    const QByteArray app = argv[2];
    const QByteArray floor = argv[3];

    MapWatcher watcher;
    if (!watcher.isConnected()) {
        std::fprintf(stderr, "cannot watch the X display named by DISPLAY\n");
        return EXIT_FAILURE;
    }
    // One unmeasured start each, so both find the libraries in the page cache.
    startOnce(watcher, app);
    startOnce(watcher, floor);

    const FigureLine timeLine(QStringLiteral("start-up, process start to mapped"));
    const FigureLine memoryLine(QStringLiteral("start-up, VmRSS when mapped"));
    const SideBySide::Medians medians = SideBySide::run(
        rounds, [&] { return startOnce(watcher, app); }, [&] { return startOnce(watcher, floor); });
    timeLine.printRatio(QStringLiteral("tarnwick-setup"), medians.subject.at(0),
                        QStringLiteral("floor"), medians.baseline.at(0), QStringLiteral("ms"),
                        1.25);
    memoryLine.printRatio(QStringLiteral("tarnwick-setup"), medians.subject.at(1) / 1024,
                          QStringLiteral("floor"), medians.baseline.at(1) / 1024,
                          QStringLiteral("MiB"), 1.2);
    return EXIT_SUCCESS;
}

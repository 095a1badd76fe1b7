// Not a test by itself: the administrator authentication test starts it as an
// unprivileged administrator. It makes one run of the runner through the real
// pkexec (the command line, as a build tree runs it) and the given run keeper,
// with request folders in TMPDIR, and prints what the result box would show.
// Arguments: the keeper, the program folder, the action.
#include "runner/ActionRunner.h"
#include "runner/PkexecElevation.h"
#include "runner/RunGate.h"
#include "runner/ServerProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fputs("usage: tarnwick-run-probe KEEPER PROGRAM ACTION\n", stderr);
        return 2;
    }
    RunGate gate;
    const QString result = ActionRunner::run(
        ActionRunner::request(arguments.at(3), {{QStringLiteral("note"), QStringLiteral("probe")}}),
        ServerProgram(arguments.at(2)), PkexecElevation(), arguments.at(1), QDir::tempPath(), gate);
    std::fputs(result.toUtf8().constData(), stdout);
    return 0;
}

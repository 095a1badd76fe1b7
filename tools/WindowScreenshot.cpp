// Renders the window as it first appears, with the shipped catalogue, to a
// PNG for the README. Addresses are fixed examples so the picture does not
// depend on the machine that made it.

#include "catalogue/Catalogue.h"
#include "form/SetupView.h"
#include "runner/PkexecElevation.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        qWarning("usage: %s <actions.json> <window.png>", qPrintable(arguments.value(0)));
        return 2;
    }
    const QList<Operation> tasks = Catalogue::load(arguments.at(1));
    if (tasks.isEmpty()) {
        qWarning("no forms in %s", qPrintable(arguments.at(1)));
        return 1;
    }

    // The picture runs nothing: a program folder that does not exist.
    const SetupServices services{ServerProgram(QStringLiteral("/nonexistent")),
                                 std::make_shared<PkexecElevation>(), QString(),
                                 std::make_shared<RunGate>()};
    MainWindow window(tasks, services);
    window.show();
    window.setupView()->setAddresses({{QStringLiteral("http://192.168.1.20:8080"),
                                       QStringLiteral("192.168.1.20"), QStringLiteral("eth0")},
                                      {QStringLiteral("http://[fd00::20]:8080"),
                                       QStringLiteral("fd00::20"), QStringLiteral("eth0")}});
    window.setupView()->prefill();

    QTimer::singleShot(300, &application, [&] {
        const bool saved = window.grab().save(arguments.at(2));
        application.exit(saved ? 0 : 1);
    });
    return application.exec();
}

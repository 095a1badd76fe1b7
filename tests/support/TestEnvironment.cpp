// Compiled into every test: it gives the test the environment it was built
// for before main, where QTEST_MAIN makes the application, so the test runs
// the same whether CTest or a person starts it. The locale is the test's
// own, whatever the desktop's; a widget test runs on the offscreen platform
// unless another is asked for, so it needs no display and a desktop's
// windows never get in its way. Plain "offscreen", as the test presets ask
// for, gets the test's own screen.
#include <QByteArray>
#include <QtGlobal>

namespace {

const bool prepared = [] {
    qputenv("LANG", QByteArrayLiteral(TARNWICK_TEST_LOCALE));
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        qunsetenv(variable);
#ifdef TARNWICK_TEST_GUI
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
#ifdef TARNWICK_TEST_SCREEN
        qputenv("QT_QPA_PLATFORM",
                QByteArrayLiteral("offscreen:configfile=") + QByteArray(TARNWICK_TEST_SCREEN));
#else
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
#endif
    }
#endif
    return true;
}();

} // namespace

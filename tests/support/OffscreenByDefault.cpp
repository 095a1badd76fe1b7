// Linked into every widget test: it runs on the offscreen platform unless
// another is asked for, so it needs no display whether CTest or a person
// starts it, and a desktop's windows never get in its way. Done before main,
// where QTEST_MAIN makes the application.
#include <QByteArray>
#include <QtGlobal>

namespace {

const bool offscreen = [] {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    return true;
}();

} // namespace

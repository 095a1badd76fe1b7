#include "TestServices.h"

#include "UnprivilegedElevation.h"

SetupServices TestServices::forProgram(const QString &directory)
{
    return {ServerProgram(directory), std::make_shared<UnprivilegedElevation>(),
            QStringLiteral(TARNWICK_TEST_KEEPER), std::make_shared<RunGate>()};
}

SetupServices TestServices::unused()
{
    return forProgram(QStringLiteral("/nonexistent/tarnwick-program"));
}

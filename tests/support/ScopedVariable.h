#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// Sets an environment variable for one test and puts back what was there
// before, so that a test run with a TMPDIR of its own keeps it afterwards.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name),
          m_old(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                : std::nullopt)
    {
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    const char *m_name;
    std::optional<QByteArray> m_old;
};

#include "runner/ServerProgram.h"

#include "InstalledProgram.h"
#include "runner/ServerContract.h"

#include <utility>

ServerProgram::ServerProgram(QString directory) : m_directory(std::move(directory)) {}

QString ServerProgram::installedDirectory()
{
    return QString::fromUtf8(TARNWICK_PROGRAM_DIR_UTF8);
}

QString ServerProgram::node() const
{
    return m_directory + QLatin1StringView(ServerContract::node);
}

QString ServerProgram::manageScript() const
{
    return m_directory + QLatin1StringView(ServerContract::manageScript);
}

QString ServerProgram::serverScript() const
{
    return m_directory + QLatin1StringView(ServerContract::serverScript);
}

#include "TestFolder.h"

#include "RequestFolders.h"

#include <QDir>
#include <QFile>

TestFolder::TestFolder(Tmpdir tmpdir)
{
    if (tmpdir == Tmpdir::Set && m_folder.isValid())
        m_tmpdir.emplace("TMPDIR", QFile::encodeName(m_folder.path()));
}

QStringList TestFolder::entries() const
{
    return QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QStringList TestFolder::requestFolders() const
{
    return RequestFolders::in(m_folder.path());
}

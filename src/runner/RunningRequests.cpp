#include "runner/RunningRequests.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <sys/stat.h>

QString RunningRequests::create(const QString &path)
{
    // The folder is made under the lock, so removeAll never misses one that
    // is being made at the same moment.
    const QMutexLocker locker(&m_mutex);
    if (m_closed)
        return tr("Could not create the request folder %1: the app is quitting").arg(path);
    // mkdir itself rather than QDir::mkdir: the folder must be private from
    // the moment it exists, and the reason for a failure belongs in the result.
    // The umask can only take permissions away; chmod then makes the folder
    // exactly 0700 whatever the umask, so the owner can always write into it.
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), S_IRWXU) != 0)
        return tr("Could not create the request folder %1: %2").arg(path, qt_error_string(errno));
    if (::chmod(name.constData(), S_IRWXU) != 0) {
        const int error = errno;
        ::rmdir(name.constData());
        return tr("Could not create the request folder %1: %2").arg(path, qt_error_string(error));
    }
    m_folders.insert(path);
    return {};
}

void RunningRequests::remove(const QString &path)
{
    const QMutexLocker locker(&m_mutex);
    if (m_folders.remove(path))
        QDir(path).removeRecursively();
}

void RunningRequests::removeAll()
{
    const QMutexLocker locker(&m_mutex);
    m_closed = true;
    for (const QString &path : std::as_const(m_folders))
        QDir(path).removeRecursively();
    m_folders.clear();
}

bool RunningRequests::isEmpty() const
{
    const QMutexLocker locker(&m_mutex);
    return m_folders.isEmpty();
}

#pragma once

#include <QCoreApplication>
#include <QMutex>
#include <QSet>
#include <QString>

// Keeps account of the request folders of the runs under way. A run may wait
// minutes for a password, and the app may quit meanwhile; quitting then
// removes the folders those runs have not removed yet, and refuses any run
// that would create one later. Shared by the worker threads of every window.
class RunningRequests
{
    Q_DECLARE_TR_FUNCTIONS(RunningRequests)

public:
    // Creates the folder, private from the moment it exists. Empty when it
    // was created, else why not.
    QString create(const QString &path);
    // Removes a folder made by create, with everything in it.
    void remove(const QString &path);
    // Removes every folder still here and refuses new ones from now on.
    void removeAll();

    bool isEmpty() const;

private:
    mutable QMutex m_mutex;
    QSet<QString> m_folders;
    bool m_closed = false;
};

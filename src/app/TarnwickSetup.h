#pragma once

#include "catalogue/Operation.h"

#include <QList>
#include <QObject>

class MainWindow;

// The application: reads the shipped catalogue once at start and opens
// windows over it, each with a form state of its own.
class TarnwickSetup : public QObject
{
    Q_OBJECT

public:
    explicit TarnwickSetup(const QString &cataloguePath = shippedCataloguePath(),
                           QObject *parent = nullptr);

    const QList<Operation> &tasks() const { return m_tasks; }

    MainWindow *openWindow();

    // The catalogue installed with the app, found next to the executable
    // only, so that nothing a user can write shadows it.
    static QString shippedCataloguePath();

private:
    const QList<Operation> m_tasks;
};

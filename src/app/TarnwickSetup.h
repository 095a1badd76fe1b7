#pragma once

#include "catalogue/Operation.h"
#include "form/SetupServices.h"

#include <QList>
#include <QObject>
#include <QTranslator>
#include <memory>

class MainWindow;

// The application: reads the shipped catalogue once at start and opens
// windows over it, each with a form state of its own. Runs still under way
// when it quits are left to their keepers, which see them to their end. Its
// own captions and Qt's follow the system locale, from the moment it exists.
class TarnwickSetup : public QObject
{
    Q_OBJECT

public:
    // Reads the catalogue at cataloguePath; every window runs things with
    // services.
    TarnwickSetup(const QString &cataloguePath, SetupServices services, QObject *parent = nullptr);
    ~TarnwickSetup() override;

    const QList<Operation> &tasks() const { return m_tasks; }

    MainWindow *openWindow();

    // The catalogue installed with the app, found next to the executable
    // only, so that nothing a user can write shadows it.
    static QString shippedCataloguePath();
    // The installed server program, this platform's elevation and the run
    // keeper installed with the app.
    static SetupServices installedServices();
    // The app's own translations, installed beside the catalogue.
    static QString shippedTranslationsPath();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installTranslators();

    const QList<Operation> m_tasks;
    const SetupServices m_services;
    // Each removes itself from the application when the app object goes.
    QTranslator m_qtTranslator;
    QTranslator m_translator;
};

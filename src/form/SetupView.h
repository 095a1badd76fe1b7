#pragma once

#include "catalogue/LocalAddress.h"
#include "catalogue/Operation.h"
#include "form/PathChooser.h"
#include "form/SetupServices.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

// The state of one form window: the catalogue, the form on screen, its field
// values, the discovered addresses, the result text and the busy and confirm
// flags, with the operations on them. It is the only thing the window draws
// from; every change emits a signal naming what changed, so the window can
// update just that. Lives and is used on the GUI thread only.
class SetupView : public QObject
{
    Q_OBJECT

public:
    SetupView(QList<Operation> tasks, SetupServices services, QObject *parent = nullptr);
    ~SetupView() override;

    const QList<Operation> &tasks() const { return m_tasks; }
    const QString &program() const { return m_services.program.directory(); }
    const QList<LocalAddress> &addresses() const { return m_addresses; }
    const QString &selected() const { return m_selected; }
    const QMap<QString, QString> &values() const { return m_values; }
    const QString &result() const { return m_result; }
    bool busy() const { return m_busy; }
    bool confirm() const { return m_confirm; }

    // The form on screen: the first form whose id is selected, else the first form.
    const Operation &task() const;

    void setSelected(const QString &id);
    void setConfirm(bool confirm);
    void setAddresses(const QList<LocalAddress> &addresses);

    // Seeds the values of the form on screen from its rows' defaults.
    void reset();
    QString fieldValue(const QString &key) const;
    void setFieldValue(const QString &key, const QString &value);
    // Fills "origin" and "bind" for the two network forms when exactly one
    // suitable address is known and no origin is set.
    void prefill();
    // Takes a discovered address for the form: its origin, then its bind.
    void chooseAddress(const LocalAddress &address);

    // Starts the selected action with administrator rights in the background.
    void perform();
    // Starts listing the machine's network addresses in the background.
    void discoverAddresses();
    // The personal invitation line of the result, when it has one.
    std::optional<QString> invitation() const;
    // Lets the user pick a path for a path row and stores it under the row's key.
    void browse(const QStringList &row, bool save);

    // Whether the run button asks before running this action.
    static bool needsConfirmation(const QString &id);
    QString confirmationMessage() const;

    // The window's file dialog, or a test's answer.
    void setChooser(std::shared_ptr<PathChooser> chooser);

Q_SIGNALS:
    void addressesChanged();
    void selectedChanged();
    // values was replaced as a whole.
    void valuesReset();
    // One key of values was added or given another text.
    void valueChanged(const QString &key);
    void resultChanged();
    void busyChanged();
    void confirmChanged();

private:
    void setResult(const QString &result);
    void setBusy(bool busy);

    const QList<Operation> m_tasks;
    const SetupServices m_services;
    QList<LocalAddress> m_addresses;
    QString m_selected;
    QMap<QString, QString> m_values;
    QString m_result;
    bool m_busy = false;
    bool m_confirm = false;

    std::shared_ptr<PathChooser> m_chooser;
};

#include "form/SetupView.h"

#include "catalogue/FieldRow.h"
#include "runner/ActionRunner.h"
#include "runner/AddressDiscovery.h"
#include "runner/BackgroundJob.h"
#include "runner/Invitation.h"

#include <QDir>
#include <utility>

SetupView::SetupView(QList<Operation> tasks, SetupServices services, QObject *parent)
    : QObject(parent), m_tasks(std::move(tasks)), m_services(std::move(services)),
      m_selected(m_tasks.isEmpty() ? QStringLiteral("setup-lan") : m_tasks.constFirst().id)
{}

SetupView::~SetupView() = default;

const Operation &SetupView::task() const
{
    for (const Operation &operation : m_tasks) {
        if (operation.id == m_selected)
            return operation;
    }
    if (!m_tasks.isEmpty())
        return m_tasks.constFirst();
    // A form view is only made for a non-empty catalogue; this keeps a
    // mistaken caller from crashing.
    static const Operation none;
    return none;
}

void SetupView::setSelected(const QString &id)
{
    if (id == m_selected)
        return;
    m_selected = id;
    Q_EMIT selectedChanged();
}

void SetupView::setConfirm(bool confirm)
{
    if (confirm == m_confirm)
        return;
    m_confirm = confirm;
    Q_EMIT confirmChanged();
}

void SetupView::setAddresses(const QList<LocalAddress> &addresses)
{
    if (addresses == m_addresses)
        return;
    m_addresses = addresses;
    Q_EMIT addressesChanged();
}

void SetupView::reset()
{
    QMap<QString, QString> seeded;
    for (const QStringList &texts : task().fields) {
        const FieldRow row(texts);
        seeded.insert(row.key(), row.defaultValue());
    }
    if (seeded != m_values) {
        m_values = std::move(seeded);
        Q_EMIT valuesReset();
    }
    prefill();
    setResult(QString());
}

QString SetupView::fieldValue(const QString &key) const
{
    return m_values.value(key);
}

void SetupView::setFieldValue(const QString &key, const QString &value)
{
    const auto existing = m_values.constFind(key);
    if (existing != m_values.constEnd() && *existing == value)
        return;
    m_values.insert(key, value);
    Q_EMIT valueChanged(key);
}

void SetupView::prefill()
{
    QList<LocalAddress> candidates;
    for (const LocalAddress &address : std::as_const(m_addresses)) {
        if (!address.bind.contains(u':'))
            candidates.append(address);
    }
    if (candidates.isEmpty())
        candidates = m_addresses;

    if (m_selected != u"setup-lan" && m_selected != u"configure-lan")
        return;
    if (!fieldValue(QStringLiteral("origin")).isEmpty())
        return;
    if (candidates.size() != 1)
        return;
    chooseAddress(candidates.constFirst());
}

void SetupView::chooseAddress(const LocalAddress &address)
{
    setFieldValue(QStringLiteral("origin"), address.origin);
    setFieldValue(QStringLiteral("bind"), address.bind);
}

void SetupView::perform()
{
    const QJsonObject request = ActionRunner::request(m_selected, m_values);
    setBusy(true);
    setResult(QStringLiteral("Working\u2026"));

    BackgroundJob::start(
        this, QThread::NormalPriority,
        [request, services = m_services, temporary = QDir::tempPath()] {
            return ActionRunner::run(request, services.program, *services.elevation,
                                     services.keeper, temporary, *services.gate);
        },
        [this](QString outcome) {
            setResult(outcome);
            setBusy(false);
        });
}

void SetupView::discoverAddresses()
{
    BackgroundJob::start(
        this, QThread::LowPriority,
        [program = m_services.program] { return AddressDiscovery::run(program); },
        [this](std::optional<QList<LocalAddress>> listing) {
            if (!listing)
                return;
            setAddresses(*listing);
            prefill();
        });
}

std::optional<QString> SetupView::invitation() const
{
    return Invitation::find(m_result);
}

void SetupView::browse(const QStringList &texts, bool save)
{
    // The window passes whole path rows; a shorter row has no kind to go by.
    if (!m_chooser || texts.size() < 3)
        return;
    const FieldRow row(texts);
    const PathChooser::Mode mode = save                ? PathChooser::Mode::Save
                                   : row.picksFolder() ? PathChooser::Mode::OpenFolder
                                                       : PathChooser::Mode::OpenFile;
    if (const auto path = m_chooser->choose(mode, row.label()))
        setFieldValue(row.key(), *path);
}

bool SetupView::needsConfirmation(const QString &id)
{
    return id.startsWith(u"revoke-") || id == u"reinstate-person";
}

QString SetupView::confirmationMessage() const
{
    if (m_selected != u"reinstate-person")
        return fieldValue(QStringLiteral("id"));
    QStringList lines;
    for (const QString &key :
         {QStringLiteral("id"), QStringLiteral("role"), QStringLiteral("buildings")}) {
        const auto value = m_values.constFind(key);
        if (value != m_values.constEnd())
            lines.append(*value);
    }
    return lines.join(u'\n');
}

void SetupView::setChooser(std::shared_ptr<PathChooser> chooser)
{
    m_chooser = std::move(chooser);
}

void SetupView::setResult(const QString &result)
{
    if (result == m_result)
        return;
    m_result = result;
    Q_EMIT resultChanged();
}

void SetupView::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
}

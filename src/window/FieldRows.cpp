#include "window/FieldRows.h"

#include "catalogue/FieldRow.h"
#include "form/SetupView.h"
#include "window/MnemonicText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <utility>

FieldRows::FieldRows(SetupView &view, QWidget *parent)
    : QWidget(parent), m_view(view), m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("fieldRows"));
    m_layout->setSpacing(10);
    m_layout->setContentsMargins(2, 2, 2, 2);
    m_layout->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    connect(&m_view, &SetupView::valuesReset, this, &FieldRows::refreshAll);
    connect(&m_view, &SetupView::valueChanged, this, &FieldRows::refresh);
    connect(&m_view, &SetupView::addressesChanged, this, &FieldRows::refreshAddressMenus);
    rebuild();
}

void FieldRows::rebuild()
{
    m_bindings.clear();
    m_focusChain.clear();
    m_addressButtons.clear();
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
    while (QLayoutItem *item = m_layout->takeAt(0))
        delete item;
    for (const QStringList &texts : m_view.task().fields)
        addRow(texts);
    refreshAll();
    refreshAddressMenus();
}

QList<QWidget *> FieldRows::focusChain() const
{
    QList<QWidget *> chain;
    for (const QPointer<QWidget> &widget : m_focusChain) {
        if (widget)
            chain.append(widget);
    }
    return chain;
}

void FieldRows::addRow(const QStringList &texts)
{
    const FieldRow row(texts);
    const QString key = row.key();
    const QString label = row.label();

    auto *heading = new QLabel(MnemonicText::literal(label), this);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    QFont headline = heading->font();
    headline.setBold(true);
    heading->setFont(headline);
    m_layout->addWidget(heading);

    QWidget *control = nullptr;
    switch (row.control()) {
    case FieldRow::Control::Choice: {
        auto *box = new QComboBox(this);
        box->setObjectName(QStringLiteral("choice"));
        box->addItems(row.choices());
        connect(box, &QComboBox::activated, this,
                [this, box, key](int index) { m_view.setFieldValue(key, box->itemText(index)); });
        m_layout->addWidget(box, 0, Qt::AlignLeft);
        control = box;
        break;
    }
    case FieldRow::Control::AddressMenu: {
        auto *button = new QPushButton(tr("Choose a network interface"), this);
        button->setObjectName(QStringLiteral("addressMenu"));
        button->setAccessibleDescription(label);
        button->setMenu(new QMenu(button));
        m_layout->addWidget(button, 0, Qt::AlignLeft);
        m_addressButtons.append(button);
        m_focusChain.append(button);
        control = addLineEdit(key, label);
        m_layout->addWidget(control);
        break;
    }
    case FieldRow::Control::Lines: {
        auto *box = new QPlainTextEdit(this);
        box->setObjectName(QStringLiteral("lines"));
        box->setFixedHeight(52);
        box->setTabChangesFocus(true);
        box->setFrameStyle(QFrame::Box | QFrame::Plain);
        box->setLineWidth(1);
        // A plain frame is drawn in the foreground colour; the muted one is
        // the placeholder colour.
        QPalette muted = box->palette();
        muted.setColor(QPalette::WindowText, muted.color(QPalette::PlaceholderText));
        box->setPalette(muted);
        connect(box, &QPlainTextEdit::textChanged, this, [this, box, key] {
            if (!m_showing)
                m_view.setFieldValue(key, box->toPlainText());
        });
        m_layout->addWidget(box);
        control = box;
        break;
    }
    case FieldRow::Control::LineEdit: {
        QLineEdit *edit = addLineEdit(key, label);
        if (!row.picksPath()) {
            m_layout->addWidget(edit);
            control = edit;
            break;
        }
        // A layout rather than a container widget: the box stays a sibling
        // of its heading, which is how assistive technology finds its label.
        auto *line = new QHBoxLayout;
        line->setObjectName(QStringLiteral("pathLine"));
        line->addWidget(edit, 1, Qt::AlignVCenter);
        auto *browse = new QPushButton(tr("Browse\u2026"), this);
        browse->setObjectName(QStringLiteral("browse"));
        browse->setAccessibleName(tr("Browse\u2026") + u' ' + label);
        line->addWidget(browse, 0, Qt::AlignVCenter);
        connect(browse, &QPushButton::clicked, this,
                [this, texts, save = row.picksSaveTarget()] { m_view.browse(texts, save); });
        m_layout->addLayout(line);
        m_focusChain.append(edit);
        m_focusChain.append(browse);
        heading->setBuddy(edit);
        edit->setAccessibleName(label);
        return;
    }
    }

    control->setAccessibleName(label);
    heading->setBuddy(control);
    m_bindings.append({key, control});
    if (!m_focusChain.contains(control))
        m_focusChain.append(control);
}

QLineEdit *FieldRows::addLineEdit(const QString &key, const QString &label)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("text"));
    edit->setPlaceholderText(label);
    edit->setAccessibleName(label);
    // textChanged, not textEdited: assistive technology sets the text through
    // the accessibility interface, which QLineEdit does not count as an edit,
    // and what the box shows is what must run. Only the view's own updates
    // are left out.
    connect(edit, &QLineEdit::textChanged, this, [this, key](const QString &text) {
        if (!m_showing)
            m_view.setFieldValue(key, text);
    });
    m_bindings.append({key, edit});
    m_focusChain.append(edit);
    return edit;
}

void FieldRows::refreshAll()
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.control)
            refreshControl(binding.control, m_view.fieldValue(binding.key));
    }
}

void FieldRows::refresh(const QString &key)
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.key == key && binding.control)
            refreshControl(binding.control, m_view.fieldValue(key));
    }
}

void FieldRows::refreshControl(QWidget *control, const QString &value)
{
    const QScopedValueRollback showing(m_showing, true);
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto *box = qobject_cast<QPlainTextEdit *>(control)) {
        if (box->toPlainText() != value)
            box->setPlainText(value);
    } else if (auto *box = qobject_cast<QComboBox *>(control)) {
        // A value that is none of the choices shows no choice and stays as it is.
        int match = -1;
        for (int index = 0; index < box->count(); ++index) {
            if (box->itemText(index) == value) {
                match = index;
                break;
            }
        }
        box->setCurrentIndex(match);
    }
}

void FieldRows::refreshAddressMenus()
{
    const QList<LocalAddress> &addresses = m_view.addresses();
    for (const QPointer<QPushButton> &button : std::as_const(m_addressButtons)) {
        if (!button)
            continue;
        QMenu *menu = button->menu();
        menu->clear();
        for (const LocalAddress &address : addresses) {
            const QString title = address.name + QStringLiteral(" \u00B7 ") + address.origin;
            QAction *item = menu->addAction(MnemonicText::literal(title));
            connect(item, &QAction::triggered, this, [this, address] {
                m_view.setFieldValue(QStringLiteral("origin"), address.origin);
                m_view.setFieldValue(QStringLiteral("bind"), address.bind);
            });
        }
        button->setEnabled(!addresses.isEmpty());
    }
}

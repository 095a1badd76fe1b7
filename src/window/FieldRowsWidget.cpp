#include "window/FieldRowsWidget.h"

#include "catalogue/FieldRow.h"
#include "form/SetupView.h"
#include "window/LinesBox.h"
#include "window/MnemonicText.h"
#include "window/WheelGuard.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <functional>
#include <limits>
#include <utility>

namespace {

constexpr int gap = 10;
constexpr int margin = 2;

QLabel *makeHeading(const QString &label, QWidget *parent)
{
    auto *heading = new QLabel(MnemonicText::literal(label), parent);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    QFont headline = heading->font();
    headline.setBold(true);
    heading->setFont(headline);
    return heading;
}

} // namespace

struct FieldRowsWidget::Samples
{
    QWidget parent;
    QLabel *heading = makeHeading(QString(), &parent);
    QLineEdit *edit = new QLineEdit(&parent);
    QComboBox *choice = new QComboBox(&parent);
    QPushButton *button = new QPushButton(&parent);
};

FieldRowsWidget::FieldRowsWidget(SetupView &view, QWidget *parent)
    : QWidget(parent), m_view(view), m_layout(new QVBoxLayout(this))
{
    setObjectName(QStringLiteral("fieldRows"));
    m_layout->setSpacing(gap);
    m_layout->setContentsMargins(margin, margin, margin, margin);

    connect(&m_view, &SetupView::valuesReset, this, &FieldRowsWidget::refreshAll);
    connect(&m_view, &SetupView::valueChanged, this, &FieldRowsWidget::refresh);
    connect(&m_view, &SetupView::addressesChanged, this, &FieldRowsWidget::refreshAddressMenus);
    rebuild();
}

FieldRowsWidget::~FieldRowsWidget() = default;

void FieldRowsWidget::rebuild()
{
    m_bindings.clear();
    m_addressButtons.clear();
    qDeleteAll(findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
    while (QLayoutItem *item = m_layout->takeAt(0))
        delete item;
    for (const QStringList &texts : m_view.task().fields)
        addRow(FieldRow(texts));
    // Height the rows do not need stays below the last one: the headings
    // keep the height of their text, and the gaps their 10 points.
    m_layout->addStretch(1);
    refreshAll();
    refreshAddressMenus();
}

QList<QWidget *> FieldRowsWidget::focusChain() const
{
    // Top to bottom as laid out, the boxes of a line from left to right.
    QList<QWidget *> chain;
    const std::function<void(const QLayout *)> collect = [&](const QLayout *layout) {
        for (int index = 0; index < layout->count(); ++index) {
            QLayoutItem *item = layout->itemAt(index);
            if (QWidget *widget = item->widget(); widget && (widget->focusPolicy() & Qt::TabFocus))
                chain.append(widget);
            else if (const QLayout *inner = item->layout())
                collect(inner);
        }
    };
    collect(m_layout);
    return chain;
}

void FieldRowsWidget::addRow(const FieldRow &row)
{
    QLabel *heading = makeHeading(row.label(), this);
    m_layout->addWidget(heading);

    QWidget *control = nullptr;
    switch (row.control()) {
    case FieldRow::Control::Choice:
        control = addChoice(row);
        break;
    case FieldRow::Control::AddressMenu:
        control = addAddressLine(row);
        break;
    case FieldRow::Control::Lines:
        control = addLines();
        break;
    case FieldRow::Control::LineEdit:
        control = addTextLine(row);
        break;
    }
    // The one control that holds the row's value: screen readers name it
    // after the row, its heading leads to it, and it shows and takes the value.
    control->setAccessibleName(row.label());
    heading->setBuddy(control);
    bind(row.key(), control);
}

QComboBox *FieldRowsWidget::addChoice(const FieldRow &row)
{
    auto *box = new QComboBox(this);
    box->setObjectName(QStringLiteral("choice"));
    box->addItems(row.choices());
    WheelGuard::protect(box);
    m_layout->addWidget(box, 0, Qt::AlignLeft);
    return box;
}

QLineEdit *FieldRowsWidget::addAddressLine(const FieldRow &row)
{
    auto *button = new QPushButton(tr("Choose a network interface"), this);
    button->setObjectName(QStringLiteral("addressMenu"));
    button->setAccessibleDescription(row.label());
    button->setMenu(new QMenu(button));
    m_layout->addWidget(button, 0, Qt::AlignLeft);
    m_addressButtons.append(button);
    QLineEdit *edit = makeLineEdit(row.label());
    m_layout->addWidget(edit);
    return edit;
}

LinesBox *FieldRowsWidget::addLines()
{
    auto *box = new LinesBox(this);
    m_layout->addWidget(box);
    return box;
}

QLineEdit *FieldRowsWidget::addTextLine(const FieldRow &row)
{
    QLineEdit *edit = makeLineEdit(row.label());
    if (!row.picksPath()) {
        m_layout->addWidget(edit);
        return edit;
    }
    // A layout rather than a container widget: the box stays a sibling of
    // its heading, which is how assistive technology finds its label.
    auto *line = new QHBoxLayout;
    line->setObjectName(QStringLiteral("pathLine"));
    line->addWidget(edit, 1, Qt::AlignVCenter);
    auto *browse = new QPushButton(tr("Browse\u2026"), this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAccessibleName(tr("Browse\u2026") + u' ' + row.label());
    line->addWidget(browse, 0, Qt::AlignVCenter);
    connect(
        browse, &QPushButton::clicked, this,
        [this, texts = row.texts(), save = row.picksSaveTarget()] { m_view.browse(texts, save); });
    m_layout->addLayout(line);
    return edit;
}

int FieldRowsWidget::heightFor(const QList<QStringList> &fields, int width) const
{
    if (!m_samples) {
        m_samples = std::make_unique<Samples>();
        m_samples->heading->setBuddy(m_samples->edit);
    }
    m_samples->parent.setFont(font());
    const Samples &samples = *m_samples;
    const int edit = samples.edit->sizeHint().height();
    const int button = samples.button->sizeHint().height();
    int height = 2 * margin;
    int items = 0;
    for (const QStringList &texts : fields) {
        const FieldRow row(texts);
        samples.heading->setText(MnemonicText::literal(row.label()));
        height += samples.heading->heightForWidth(width - 2 * margin);
        switch (row.control()) {
        case FieldRow::Control::Choice:
            height += samples.choice->sizeHint().height();
            items += 2;
            break;
        case FieldRow::Control::AddressMenu:
            height += button + edit;
            items += 3;
            break;
        case FieldRow::Control::Lines:
            height += LinesBox::fixedHeight;
            items += 2;
            break;
        case FieldRow::Control::LineEdit:
            height += row.picksPath() ? qMax(edit, button) : edit;
            items += 2;
            break;
        }
    }
    return height + gap * qMax(0, items - 1);
}

QLineEdit *FieldRowsWidget::makeLineEdit(const QString &label)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("text"));
    edit->setPlaceholderText(label);
    // A value is shown whole, however long: the default cap of 32767
    // characters would show a cut value while the whole one is sent.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

void FieldRowsWidget::bind(const QString &key, QWidget *control)
{
    m_bindings.append({key, control});
    // Whatever changed the text (typing, pasting, an input method, a drop,
    // undo, or assistive technology setting it), the value follows; the
    // window showing a value is the one change that is not an edit.
    const auto store = [this, key](const QString &text) {
        if (!m_showing)
            m_view.setFieldValue(key, text);
    };
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        connect(edit, &QLineEdit::textChanged, this, store);
    } else if (auto *box = qobject_cast<LinesBox *>(control)) {
        connect(box, &QPlainTextEdit::textChanged, this, [box, store] { store(box->text()); });
    } else if (auto *box = qobject_cast<QComboBox *>(control)) {
        connect(box, &QComboBox::currentIndexChanged, this, [box, store](int index) {
            if (index >= 0)
                store(box->itemText(index));
        });
    }
}

void FieldRowsWidget::refreshAll()
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.control)
            refreshControl(binding.control, m_view.fieldValue(binding.key));
    }
}

void FieldRowsWidget::refresh(const QString &key)
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.key == key && binding.control)
            refreshControl(binding.control, m_view.fieldValue(key));
    }
}

void FieldRowsWidget::refreshControl(QWidget *control, const QString &value)
{
    const QScopedValueRollback showing(m_showing, true);
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto *box = qobject_cast<LinesBox *>(control)) {
        if (box->text() != value)
            box->setPlainText(value);
    } else if (auto *box = qobject_cast<QComboBox *>(control)) {
        // A value that is none of the choices shows no choice and stays as it is.
        box->setCurrentIndex(box->findText(value));
    }
}

void FieldRowsWidget::refreshAddressMenus()
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
            connect(item, &QAction::triggered, this,
                    [this, address] { m_view.chooseAddress(address); });
        }
        button->setEnabled(!addresses.isEmpty());
    }
}

#include "window/FormWidget.h"

#include "form/SetupView.h"
#include "window/FieldRowsWidget.h"
#include "window/FileDialogChooser.h"
#include "window/InfoText.h"
#include "window/MnemonicText.h"
#include "window/ResultBox.h"
#include "window/WheelGuard.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The forms the picker offers: the first of each id, as the form on screen
// for an id is the first with it; a later twin could never be chosen.
QList<const Operation *> listedForms(const QList<Operation> &tasks)
{
    QList<const Operation *> listed;
    QSet<QString> ids;
    for (const Operation &operation : tasks) {
        if (!ids.contains(operation.id)) {
            ids.insert(operation.id);
            listed.append(&operation);
        }
    }
    return listed;
}

} // namespace

FormWidget::FormWidget(SetupView &view, QWidget *parent)
    : QWidget(parent), m_view(view), m_picker(new QComboBox(this)), m_info(new InfoText(this)),
      m_formArea(new QScrollArea(this)), m_rows(new FieldRowsWidget(view, m_formArea)),
      m_runButton(new QPushButton(this)), m_busyIndicator(new QProgressBar(this)),
      m_copyButton(new QPushButton(tr("Copy personal invitation"), this)),
      m_resultBox(new ResultBox(this))
{
    setObjectName(QStringLiteral("formView"));
    setMinimumSize(520, 530);
    m_view.setChooser(std::make_shared<FileDialogChooser>(this));
    buildColumn();
    followView();
    showSelected();
    showResult();
    showBusy();
}

// Lays the window's content out, top to bottom.
void FormWidget::buildColumn()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(12);

    auto *pickerLine = new QHBoxLayout;
    auto *pickerLabel = new QLabel(tr("Operation"), this);
    pickerLabel->setObjectName(QStringLiteral("pickerLabel"));
    pickerLabel->setBuddy(m_picker);
    m_picker->setObjectName(QStringLiteral("picker"));
    m_picker->setAccessibleName(tr("Operation"));
    for (const Operation *operation : listedForms(m_view.tasks()))
        m_picker->addItem(operation->title, operation->id);
    WheelGuard::protect(m_picker);
    pickerLine->addWidget(pickerLabel);
    pickerLine->addWidget(m_picker);
    pickerLine->addStretch(1);
    column->addLayout(pickerLine);

    column->addWidget(m_info);

    m_formArea->setObjectName(QStringLiteral("formArea"));
    m_formArea->setWidgetResizable(true);
    m_formArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_formArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_formArea->setFrameShape(QFrame::NoFrame);
    // Tab goes straight to the fields; the area scrolls to follow focus.
    m_formArea->setFocusPolicy(Qt::NoFocus);
    m_formArea->setWidget(m_rows);
    column->addWidget(m_formArea, 1);

    auto *runLine = new QHBoxLayout;
    m_runButton->setObjectName(QStringLiteral("runButton"));
    m_busyIndicator->setObjectName(QStringLiteral("busyIndicator"));
    m_busyIndicator->setAccessibleName(tr("Action running"));
    m_busyIndicator->setRange(0, 0);
    m_busyIndicator->setTextVisible(false);
    m_busyIndicator->setMaximumWidth(120);
    m_busyIndicator->hide();
    runLine->addWidget(m_runButton);
    runLine->addWidget(m_busyIndicator);
    runLine->addStretch(1);
    column->addLayout(runLine);

    m_copyButton->setObjectName(QStringLiteral("copyButton"));
    m_copyButton->hide();
    column->addWidget(m_copyButton, 0, Qt::AlignLeft);

    column->addWidget(m_resultBox);
}

// Connects the controls to the form state, and the form state's changes to
// what shows them.
void FormWidget::followView()
{
    connect(m_picker, &QComboBox::activated, this,
            [this](int index) { m_view.setSelected(m_picker->itemData(index).toString()); });
    connect(m_runButton, &QPushButton::clicked, this, &FormWidget::pressRun);
    connect(m_copyButton, &QPushButton::clicked, this, &FormWidget::copyInvitation);
    connect(&m_view, &SetupView::selectedChanged, this, [this] {
        showSelected();
        m_view.reset();
    });
    connect(&m_view, &SetupView::resultChanged, this, &FormWidget::showResult);
    connect(&m_view, &SetupView::busyChanged, this, &FormWidget::showBusy);
    connect(&m_view, &SetupView::confirmChanged, this, &FormWidget::showConfirmation);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_rows->isAncestorOf(now))
            showWhole(now);
    });
}

QSize FormWidget::sizeHint() const
{
    const QMargins margins = layout()->contentsMargins();
    const int width = qMax(minimumWidth(), layout()->sizeHint().width());
    const int column = width - margins.left() - margins.right();
    int others =
        layout()->sizeHint().height() - itemHeightHint(m_info) - itemHeightHint(m_formArea);
    // Room for the copy button too: a run that yields an invitation shows it,
    // and the rows should not start scrolling then.
    if (!m_copyButton->isVisibleTo(this))
        others += m_copyButton->sizeHint().height() + layout()->spacing();
    return QSize(width, others + tallestForm(column)).expandedTo(minimumSize());
}

// The form area's own hint is capped at a few lines of text; what a form
// needs is its explanation and its rows at the column's width.
int FormWidget::tallestForm(int column) const
{
    if (column != m_measuredColumn) {
        m_tallest = 0;
        for (const Operation *task : listedForms(m_view.tasks())) {
            m_tallest = qMax(m_tallest, m_info->textHeight(task->info, column) +
                                            m_rows->heightFor(task->fields, column));
        }
        m_measuredColumn = column;
    }
    return m_tallest;
}

void FormWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (QWindow *window = this->window()->windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &FormWidget::updateMinimumHeight);
    }
    updateMinimumHeight();
    m_view.reset();
    m_view.discoverAddresses();
}

void FormWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateMinimumHeight();
}

void FormWidget::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_measuredColumn = -1;
        updateMinimumHeight();
    }
}

// The explanation is never cut off: the window's least height grows with
// the text's height at the column's width, as far as the screen allows.
// Past that the text scrolls in its own area, and the window stays on screen.
void FormWidget::updateMinimumHeight()
{
    const QMargins margins = layout()->contentsMargins();
    const int column = width() - margins.left() - margins.right();
    const int text = m_info->textHeight(column);
    // The rest of the column at its least, its gaps and margins included.
    const int rest = layout()->minimumSize().height() - m_info->minimumHeight();
    const int room = qMax(roomOnScreen() - rest, 3 * m_info->fontMetrics().lineSpacing());
    const int shown = qMin(text, room);
    m_info->setShownHeight(shown);
    const QSize least(qMax(520, layout()->minimumSize().width()), qMax(530, rest + shown));
    if (minimumSize() != least)
        setMinimumSize(least);
}

// The height this view may take on its screen: what the window's frame and
// anything else in it around this view leave of the screen's free height.
int FormWidget::roomOnScreen() const
{
    const QWidget *window = this->window();
    const int around = window->isVisible() ? window->frameGeometry().height() - height() : 0;
    return screen()->availableGeometry().height() - around;
}

int FormWidget::itemHeightHint(QWidget *child) const
{
    return layout()->itemAt(layout()->indexOf(child))->sizeHint().height();
}

// A control that takes focus is shown whole: Tab into a box half under the
// edge of the form area brings all of it into view, not only its cursor.
void FormWidget::showWhole(QWidget *control)
{
    const QPoint centre = control->mapTo(m_rows, control->rect().center());
    m_formArea->ensureVisible(centre.x(), centre.y(), control->width() / 2,
                              control->height() / 2 + 1);
}

void FormWidget::showSelected()
{
    const Operation &task = m_view.task();
    m_picker->setCurrentIndex(m_picker->findData(m_view.selected()));
    m_info->setText(task.info);
    m_runButton->setText(MnemonicText::literal(task.button));
    m_rows->rebuild();
    updateTabOrder();
    updateMinimumHeight();
}

void FormWidget::showResult()
{
    m_resultBox->setResult(m_view.result());
    const bool invited = m_view.invitation().has_value();
    if (invited != m_copyButton->isVisibleTo(this)) {
        m_copyButton->setVisible(invited);
        updateMinimumHeight();
    }
}

void FormWidget::showBusy()
{
    const bool busy = m_view.busy();
    m_picker->setEnabled(!busy);
    m_formArea->setEnabled(!busy);
    m_runButton->setEnabled(!busy);
    m_busyIndicator->setVisible(busy);
}

void FormWidget::pressRun()
{
    if (SetupView::needsConfirmation(m_view.selected()))
        m_view.setConfirm(true);
    else
        m_view.perform();
}

void FormWidget::showConfirmation()
{
    if (!m_view.confirm())
        return;
    const QString button = m_view.task().button;
    auto *alert = new QMessageBox(this);
    alert->setObjectName(QStringLiteral("confirmation"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setIcon(QMessageBox::Warning);
    alert->setTextFormat(Qt::PlainText);
    alert->setWindowTitle(button + u'?');
    alert->setText(button + u'?');
    alert->setInformativeText(m_view.confirmationMessage());
    // QMessageBox (as of Qt 6.4) gives its text format to the main text
    // only, and offers no other way to the informative text's label than
    // its internal name; the message holds form values, which must never be
    // read as markup.
    if (auto *message = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        message->setTextFormat(Qt::PlainText);
    QPushButton *cancel = alert->addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton *confirm =
        alert->addButton(MnemonicText::literal(button), QMessageBox::DestructiveRole);
    confirm->setObjectName(QStringLiteral("confirmButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    connect(alert, &QMessageBox::finished, this, [this, alert, confirm] {
        const bool confirmed = alert->clickedButton() == confirm;
        m_view.setConfirm(false);
        if (confirmed)
            m_view.perform();
    });
    alert->open();
}

void FormWidget::copyInvitation()
{
    const auto invitation = m_view.invitation();
    if (!invitation)
        return;
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    // Plain text only: the invitation must paste as typed, never as markup.
    auto *data = new QMimeData;
    data->setText(*invitation);
    clipboard->setMimeData(data);
}

void FormWidget::updateTabOrder()
{
    QList<QWidget *> chain{m_picker};
    chain.append(m_rows->focusChain());
    chain.append({m_runButton, m_copyButton, m_resultBox});
    for (qsizetype index = 1; index < chain.size(); ++index)
        setTabOrder(chain.at(index - 1), chain.at(index));
}

#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <memory>

class FieldRow;
class LinesBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class SetupView;

// The field rows of the form on screen: a heading and the controls for its
// kind per row, each control bound to one value. Rows are built once per
// form; a change of a value updates only the controls bound to it, so typing
// never loses focus, cursor or selection.
class FieldRowsWidget : public QWidget
{
    Q_OBJECT

public:
    explicit FieldRowsWidget(SetupView &view, QWidget *parent = nullptr);

    // Replaces every row with those of the form on screen.
    void rebuild();

    ~FieldRowsWidget() override;

    // The controls that take focus, top to bottom.
    QList<QWidget *> focusChain() const;

    // The height that rows for these fields take at this width, worked out
    // without building them: the window opens with room for its tallest form.
    int heightFor(const QList<QStringList> &fields, int width) const;

private:
    struct Samples;

    // One control showing the value under one key.
    struct Binding
    {
        QString key;
        QPointer<QWidget> control;
    };

    // One row: its heading, then what its builder makes.
    void addRow(const FieldRow &row);
    // The builders, one per kind of row: each lays out its controls and
    // returns the one that holds the row's value.
    QComboBox *addChoice(const FieldRow &row);
    QLineEdit *addAddressLine(const FieldRow &row);
    LinesBox *addLines();
    QLineEdit *addTextLine(const FieldRow &row);
    QLineEdit *makeLineEdit(const QString &label);
    // Binds the control to the value under the key, both ways.
    void bind(const QString &key, QWidget *control);
    void refreshAll();
    void refresh(const QString &key);
    void refreshControl(QWidget *control, const QString &value);
    void refreshAddressMenus();

    SetupView &m_view;
    QVBoxLayout *m_layout;
    QList<Binding> m_bindings;
    QList<QPointer<QPushButton>> m_addressButtons;
    // Controls never shown, only measured, made when first needed.
    mutable std::unique_ptr<Samples> m_samples;
    // Set while a value is being shown, so that the control's own change
    // signal is not taken for an edit by the user.
    bool m_showing = false;
};

#pragma once

#include <QWidget>

class FieldRowsWidget;
class InfoText;
class QComboBox;
class QProgressBar;
class QPushButton;
class QScrollArea;
class ResultBox;
class SetupView;

// The form window's content: the form picker, the form's explanation, its
// field rows, the run button with its confirmation, the invitation copy
// button and the result box, all drawn from one SetupView and updated piece
// by piece as it changes.
class FormWidget : public QWidget
{
    Q_OBJECT

public:
    explicit FormWidget(SetupView &view, QWidget *parent = nullptr);

    // Room for the whole explanation and every row of the tallest form,
    // with the result box at its preferred height: no form the user picks
    // starts with a scroll bar, as far as the screen allows.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildColumn();
    void followView();
    void updateMinimumHeight();
    int roomOnScreen() const;
    int itemHeightHint(QWidget *child) const;
    int tallestForm(int column) const;
    void showWhole(QWidget *control);
    void showSelected();
    void showResult();
    void showBusy();
    void showConfirmation();
    void pressRun();
    void copyInvitation();
    void updateTabOrder();

    SetupView &m_view;
    QComboBox *m_picker;
    InfoText *m_info;
    QScrollArea *m_formArea;
    FieldRowsWidget *m_rows;
    QPushButton *m_runButton;
    QProgressBar *m_busyIndicator;
    QPushButton *m_copyButton;
    ResultBox *m_resultBox;
    bool m_shown = false;
    // The height of the tallest form at one column width; the catalogue
    // never changes, so only another width or font measures it again.
    mutable int m_measuredColumn = -1;
    mutable int m_tallest = 0;
};

#pragma once

#include <QWidget>

class FieldRows;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class ResultBox;
class SetupView;

// The form window's content: the form picker, the form's explanation, its
// field rows, the run button with its confirmation, the invitation copy
// button and the result box, all drawn from one SetupView and updated piece
// by piece as it changes.
class FormView : public QWidget
{
    Q_OBJECT

public:
    explicit FormView(SetupView &view, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showSelected();
    void showResult();
    void showBusy();
    void showConfirmation();
    void pressRun();
    void copyInvitation();
    void updateTabOrder();

    SetupView &m_view;
    QComboBox *m_picker;
    QLabel *m_info;
    QScrollArea *m_formArea;
    FieldRows *m_rows;
    QPushButton *m_runButton;
    QProgressBar *m_busyIndicator;
    QPushButton *m_copyButton;
    ResultBox *m_resultBox;
    bool m_shown = false;
};

// The floor for the start-up figure: the kinds of widgets the form window
// shows, built straight in main() with no catalogue, state or logic behind
// them. What tarnwick-setup takes beyond this is what the app itself costs.
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    QWidget window;
    window.setWindowTitle(QObject::tr("Floor"));
    window.setMinimumSize(520, 530);
    auto *column = new QVBoxLayout(&window);

    auto *pickerLine = new QHBoxLayout;
    auto *picker = new QComboBox;
    for (int index = 0; index < 8; ++index)
        picker->addItem(QObject::tr("Operation %1").arg(index));
    pickerLine->addWidget(new QLabel(QObject::tr("Operation")));
    pickerLine->addWidget(picker);
    pickerLine->addStretch(1);
    column->addLayout(pickerLine);

    auto *info = new QLabel(QObject::tr("Explains what the form does, at about the length of a "
                                        "shipped explanation, so that it wraps over two lines."));
    info->setWordWrap(true);
    column->addWidget(info);

    auto *area = new QScrollArea;
    area->setWidgetResizable(true);
    auto *rows = new QWidget;
    auto *rowLayout = new QVBoxLayout(rows);
    for (int index = 0; index < 5; ++index) {
        auto *heading = new QLabel(QObject::tr("Field %1").arg(index));
        auto *edit = new QLineEdit;
        heading->setBuddy(edit);
        rowLayout->addWidget(heading);
        rowLayout->addWidget(edit);
    }
    area->setWidget(rows);
    column->addWidget(area, 1);

    column->addWidget(new QPushButton(QObject::tr("Run")), 0, Qt::AlignLeft);

    auto *result = new QPlainTextEdit;
    result->setReadOnly(true);
    column->addWidget(result);

    window.show();
    return application.exec();
}

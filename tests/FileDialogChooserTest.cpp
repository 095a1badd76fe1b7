#include "window/FileDialogChooser.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PathChooser::Mode)
Q_DECLARE_METATYPE(QFileDialog::FileMode)
Q_DECLARE_METATYPE(QFileDialog::AcceptMode)

class FileDialogChooserTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void opensDialogForMode_data();
    void opensDialogForMode();
    void cancelGivesNothing();

private:
    QTemporaryDir m_folder;
};

void FileDialogChooserTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QFile existing(m_folder.filePath(u"backup.json"_s));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    QVERIFY(QDir(m_folder.path()).mkdir(u"data"_s));
}

void FileDialogChooserTest::opensDialogForMode_data()
{
    QTest::addColumn<PathChooser::Mode>("mode");
    QTest::addColumn<QFileDialog::AcceptMode>("acceptMode");
    QTest::addColumn<QFileDialog::FileMode>("fileMode");
    QTest::addColumn<bool>("foldersOnly");
    QTest::addColumn<QString>("typed");

    QTest::newRow("open a file") << PathChooser::Mode::OpenFile << QFileDialog::AcceptOpen
                                 << QFileDialog::ExistingFile << false << u"backup.json"_s;
    QTest::newRow("open a folder") << PathChooser::Mode::OpenFolder << QFileDialog::AcceptOpen
                                   << QFileDialog::Directory << true << u"data"_s;
    QTest::newRow("save a new file") << PathChooser::Mode::Save << QFileDialog::AcceptSave
                                     << QFileDialog::AnyFile << false << u"new backup.json"_s;
}

void FileDialogChooserTest::opensDialogForMode()
{
    QFETCH(PathChooser::Mode, mode);
    QFETCH(QFileDialog::AcceptMode, acceptMode);
    QFETCH(QFileDialog::FileMode, fileMode);
    QFETCH(bool, foldersOnly);
    QFETCH(QString, typed);

    QWidget window;
    window.show();
    FileDialogChooser chooser(&window);
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"Backup <b>file</b>"_s);
        QCOMPARE(dialog->acceptMode(), acceptMode);
        QCOMPARE(dialog->fileMode(), fileMode);
        QCOMPARE(dialog->testOption(QFileDialog::ShowDirsOnly), foldersOnly);
        QCOMPARE(dialog->nameFilters(), QStringList{u"All Files (*)"_s});
        dialog->setDirectory(m_folder.path());
        dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->setText(typed);
        static_cast<QDialog *>(dialog)->accept();
        answered = true;
    });
    const auto path = chooser.choose(mode, u"Backup <b>file</b>"_s);
    QVERIFY(answered);
    QCOMPARE(path, std::optional(m_folder.filePath(typed)));
}

void FileDialogChooserTest::cancelGivesNothing()
{
    FileDialogChooser chooser(nullptr);
    QTimer::singleShot(0, this, [] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->reject();
    });
    QCOMPARE(chooser.choose(PathChooser::Mode::OpenFile, u"Backup file"_s), std::nullopt);
}

QTEST_MAIN(FileDialogChooserTest)
#include "FileDialogChooserTest.moc"

#include "window/MainWindow.h"

#include "FakeProgram.h"
#include "RequestFolders.h"
#include "TestFolder.h"
#include "TestServices.h"
#include "app/TarnwickSetup.h"
#include "form/SetupView.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void closesWithoutAskingWhenIdle();
    void asksBeforeClosingDuringRun_data();
    void asksBeforeClosingDuringRun();
    void questionGoesWhenRunEnds();
    void closedWindowsRunGoesOnToItsEnd();
    void fileMenuOffersWindowCommands();
    void newWindowHasStateOfItsOwn();

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<FakeProgram> m_program;
};

namespace {

const QList<Operation> catalogue{
    {u"status"_s, u"Status"_s, u"Shows the status."_s, u"Show"_s, {{u"note"_s, u"Note"_s}}}};

} // namespace

void MainWindowTest::init()
{
    m_folder = std::make_unique<TestFolder>(TestFolder::Tmpdir::Set);
    QVERIFY(m_folder->isValid());
    m_program = std::make_unique<FakeProgram>();
    m_program->holdManageScript("finished\\n");
}

namespace {

const QString question = u"The action keeps running with administrator rights, but its output "
                         u"will not be shown. Close anyway?"_s;

} // namespace

void MainWindowTest::cleanup()
{
    // The program lies in the temporary folder; it releases its held script
    // and waits for everything that runs from it before it goes.
    m_program.reset();
    m_folder.reset();
}

void MainWindowTest::closesWithoutAskingWhenIdle()
{
    MainWindow window(catalogue, TestServices::forProgram(m_program->directory()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
}

void MainWindowTest::asksBeforeClosingDuringRun_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");

    QTest::newRow("cancel keeps the window") << int(QMessageBox::Cancel) << false;
    QTest::newRow("close anyway") << int(QMessageBox::Close) << true;
}

void MainWindowTest::asksBeforeClosingDuringRun()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    MainWindow window(catalogue, TestServices::forProgram(m_program->directory()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setupView()->perform();
    QVERIFY(window.setupView()->busy());

    QString asked;
    QTimer::singleShot(0, this, [&asked, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        asked = box->text();
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
        box->button(QMessageBox::StandardButton(answer))->click();
    });
    QCOMPARE(window.close(), closes);
    QCOMPARE(asked, question);
    QCOMPARE(window.isVisible(), !closes);

    if (!closes) {
        QVERIFY(m_program->release());
        QTRY_VERIFY(!window.setupView()->busy());
        QVERIFY(window.close());
    }
}

void MainWindowTest::questionGoesWhenRunEnds()
{
    MainWindow window(catalogue, TestServices::forProgram(m_program->directory()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setupView()->perform();

    // Nobody answers; the run ends while the question is open.
    QPointer<QMessageBox> box;
    QTimer::singleShot(0, this, [this, &box] {
        box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->text(), question);
        QVERIFY(m_program->release());
    });
    QCOMPARE(window.close(), false);
    QVERIFY(box.isNull() || !box->isVisible());
    QVERIFY(!window.setupView()->busy());
    QVERIFY(window.isVisible());
    QCOMPARE(window.setupView()->result(), u"finished\n"_s);
}

void MainWindowTest::closedWindowsRunGoesOnToItsEnd()
{
    QPointer window(new MainWindow(catalogue, TestServices::forProgram(m_program->directory())));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->setupView()->perform();
    QTRY_COMPARE(m_folder->requestFolders().size(), 1);

    QTimer::singleShot(0, this, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        box->button(QMessageBox::Close)->click();
    });
    QVERIFY(window->close());
    QTRY_VERIFY(window.isNull());

    // The action goes on without its window, its request still there; once
    // it has run to its end, its folder goes.
    QCOMPARE(m_folder->requestFolders().size(), 1);
    QVERIFY(m_program->release());
    QTRY_COMPARE(m_program->heldEffects().size(), 1);
    QVERIFY(m_program->heldEffects().constFirst().contains(R"("action":"status")"));
    QTRY_COMPARE(m_folder->requestFolders(), QStringList{});
}

void MainWindowTest::fileMenuOffersWindowCommands()
{
    MainWindow window(catalogue, TestServices::forProgram(m_program->directory()));
    const QList<QAction *> menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    QStringList commands;
    QList<QKeySequence> keys;
    for (QAction *action : menus.constFirst()->menu()->actions()) {
        if (action->isSeparator())
            continue;
        commands.append(action->text());
        keys.append(action->shortcut());
    }
    QCOMPARE(commands, (QStringList{u"&New Window"_s, u"&Close Window"_s, u"&Quit"_s}));
    QCOMPARE(keys, (QList<QKeySequence>{QKeySequence(u"Ctrl+N"_s), QKeySequence(u"Ctrl+W"_s),
                                        QKeySequence(u"Ctrl+Q"_s)}));
}

void MainWindowTest::newWindowHasStateOfItsOwn()
{
    const QString path = m_folder->path() + u"/actions.json"_s;
    QVERIFY(QFile::copy(QStringLiteral(TARNWICK_SHIPPED_CATALOGUE), path));
    TarnwickSetup setup(path, TestServices::forProgram(m_program->directory()));
    MainWindow *first = setup.openWindow();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    QTest::keyClick(first, Qt::Key_N, Qt::ControlModifier);
    const auto windows = [] {
        QList<MainWindow *> found;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<MainWindow *>(widget))
                found.append(window);
        }
        return found;
    };
    QTRY_COMPARE(windows().size(), 2);
    MainWindow *second =
        windows().constFirst() == first ? windows().constLast() : windows().constFirst();
    QVERIFY(second);
    QVERIFY(second->setupView() != first->setupView());
    QCOMPARE(second->setupView()->tasks(), first->setupView()->tasks());
    second->setupView()->setSelected(u"status"_s);
    QCOMPARE(first->setupView()->selected(), u"setup-lan"_s);

    // A window closed with Ctrl+W is gone, and its state with it.
    QPointer<MainWindow> closing(second);
    second->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(second));
    QTest::keyClick(second, Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(!closing);
    first->close();
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

#include "app/TarnwickSetup.h"

#include "form/SetupView.h"
#include "window/MainWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TarnwickSetupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsReinstallMessage_data();
    void showsReinstallMessage();
    void showsFirstFormOfValidCatalogue();
};

namespace {

QString fixture(const QString &name)
{
    return qEnvironmentVariable("TARNWICK_TEST_DATA") + u"/catalogues/"_s + name;
}

} // namespace

void TarnwickSetupTest::showsReinstallMessage_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("missing") << fixture(u"absent.json"_s);
    QTest::newRow("unreadable") << qEnvironmentVariable("TARNWICK_TEST_DATA");
    QTest::newRow("not JSON") << fixture(u"malformed.json"_s);
    QTest::newRow("top level object") << fixture(u"object.json"_s);
    QTest::newRow("empty array") << fixture(u"empty.json"_s);
}

void TarnwickSetupTest::showsReinstallMessage()
{
    QFETCH(QString, path);
    TarnwickSetup setup(path);
    QVERIFY(setup.tasks().isEmpty());

    std::unique_ptr<MainWindow> window(setup.openWindow());
    QCOMPARE(window->windowTitle(), u"Tarnwick Server Setup"_s);
    QCOMPARE(window->setupView(), nullptr);
    QWidget *content = window->centralWidget();
    QCOMPARE(content->objectName(), u"reinstallMessage"_s);
    const QList<QWidget *> children = content->findChildren<QWidget *>();
    QCOMPARE(children.size(), 1);
    auto *message = qobject_cast<QLabel *>(children.constFirst());
    QVERIFY(message);
    QCOMPARE(message->text(), u"Reinstall Tarnwick Server to restore its setup forms."_s);
    QCOMPARE(message->textFormat(), Qt::PlainText);
}

void TarnwickSetupTest::showsFirstFormOfValidCatalogue()
{
    TarnwickSetup setup(fixture(u"valid.json"_s));
    QCOMPARE(setup.tasks().size(), 2);

    std::unique_ptr<MainWindow> window(setup.openWindow());
    QCOMPARE(window->windowTitle(), u"Tarnwick Server Setup"_s);
    QVERIFY(window->setupView());
    QCOMPARE(window->setupView()->selected(), u"status"_s);
    auto *picker = window->findChild<QComboBox *>(u"picker"_s);
    QVERIFY(picker);
    QCOMPARE(picker->count(), 2);
    QCOMPARE(picker->currentText(), u"Show status"_s);
    QCOMPARE(picker->currentData().toString(), u"status"_s);
    QCOMPARE(QGuiApplication::desktopFileName(), u"org.tarnwick.Setup"_s);
}

QTEST_MAIN(TarnwickSetupTest)
#include "TarnwickSetupTest.moc"

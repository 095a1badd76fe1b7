// Fills in and runs every form of the shipped catalogue through the window,
// against the stand-in server program, the way an administrator would: the
// catalogue, the window and the stand-in must agree on every id and key.

#include "Confirmation.h"
#include "Processes.h"
#include "TestServices.h"
#include "catalogue/Catalogue.h"
#include "form/SetupView.h"
#include "window/MainWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;

class ShippedFormsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void runsEveryForm();

private:
    bool pick(const QString &id);
    bool type(const QString &label, const QString &text);
    std::optional<QString> run();

    QTemporaryDir m_program;
    QTemporaryDir m_files;
    std::unique_ptr<MainWindow> m_window;
};

void ShippedFormsTest::initTestCase()
{
    const QString standin = QStringLiteral(TARNWICK_STANDIN);
    if (!QFileInfo::exists(standin + u"/node"_s))
        QSKIP("the stand-in server program was not assembled (no Node.js at configure time)");
    // A copy of its own, so the stand-in's state starts empty.
    QVERIFY(m_program.isValid() && m_files.isValid());
    QVERIFY(QFile::link(QFileInfo(standin + u"/node"_s).symLinkTarget(),
                        m_program.filePath(u"node"_s)));
    for (const QString &script : {u"desktop/manage.mjs"_s, u"server/tarnwick.mjs"_s}) {
        QVERIFY(QDir().mkpath(QFileInfo(m_program.filePath(script)).path()));
        QVERIFY(QFile::copy(standin + u'/' + script, m_program.filePath(script)));
    }

    const QList<Operation> tasks = Catalogue::load(QStringLiteral(TARNWICK_SHIPPED_CATALOGUE));
    QVERIFY(!tasks.isEmpty());
    m_window = std::make_unique<MainWindow>(tasks, TestServices::forProgram(m_program.path()));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void ShippedFormsTest::cleanupTestCase()
{
    // The window's discovery and the runs' keepers end before the copy of
    // the program they use goes.
    if (!m_window)
        return;
    m_window.reset();
    QCOMPARE(Processes::awaitBackgroundJobs(), 0);
    QCOMPARE(Processes::awaitNoneMentioning(m_program.path()), QList<qint64>{});
}

bool ShippedFormsTest::pick(const QString &id)
{
    auto *picker = m_window->findChild<QComboBox *>(u"picker"_s);
    const int index = picker->findData(id);
    if (index < 0)
        return false;
    picker->setFocus();
    while (picker->currentIndex() != index)
        QTest::keyClick(picker, picker->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    // The new rows are shown by the event loop.
    auto *rows = m_window->findChild<QWidget *>(u"fieldRows"_s);
    return m_window->setupView()->selected() == id && QTest::qWaitFor([rows] {
               const auto children = rows->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
               return std::all_of(children.cbegin(), children.cend(),
                                  [](QWidget *child) { return child->isVisible(); });
           });
}

// Types into the control that assistive technology knows by this label.
bool ShippedFormsTest::type(const QString &label, const QString &text)
{
    for (QWidget *control : m_window->findChildren<QWidget *>()) {
        if (control->accessibleName() != label || !control->isVisible())
            continue;
        control->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(control)) {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Delete);
        }
        const QStringList lines = text.split(u'\n');
        for (qsizetype line = 0; line < lines.size(); ++line) {
            if (line > 0)
                QTest::keyClick(control, Qt::Key_Return);
            QTest::keyClicks(control, lines.at(line));
        }
        return true;
    }
    qWarning("no control is named %s", qPrintable(label));
    return false;
}

std::optional<QString> ShippedFormsTest::run()
{
    SetupView *view = m_window->setupView();
    auto *button = m_window->findChild<QPushButton *>(u"runButton"_s);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    if (SetupView::needsConfirmation(view->selected())) {
        QMessageBox *alert = waitForConfirmation(*m_window);
        if (!alert)
            return std::nullopt;
        QTest::keyClick(alert->findChild<QPushButton *>(u"confirmButton"_s), Qt::Key_Space);
    }
    if (!QTest::qWaitFor([view] { return !view->busy(); }, 20000))
        return std::nullopt;
    return view->result();
}

void ShippedFormsTest::runsEveryForm()
{
    SetupView *view = m_window->setupView();
    QStringList ran;
    // A run the stand-in carried out: it ended, printed a report, refused nothing.
    const auto done = [&](const std::optional<QString> &result) {
        ran.append(view->selected());
        return result && !result->isEmpty() && !result->contains(u"Nothing was changed"_s);
    };
    static const QRegularExpression personId(u"Person ID: +(p-\\d+)"_s);
    static const QRegularExpression invitationId(u"Invitation ID: +(inv-\\d+)"_s);

    QVERIFY(pick(u"setup-lan"_s));
    QVERIFY(type(u"Server address"_s, u"http://192.0.2.10:8080"_s));
    QVERIFY(type(u"Listen on address"_s, u"192.0.2.10"_s));
    QVERIFY(type(u"Administrator e-mail"_s, u"admin@example.org"_s));
    QVERIFY2(done(run()), qPrintable(view->result()));

    QVERIFY(pick(u"configure-lan"_s));
    QVERIFY(type(u"Server address"_s, u"http://192.0.2.11:8080"_s));
    QVERIFY(type(u"Listen on address"_s, u"192.0.2.11"_s));
    QVERIFY2(done(run()), qPrintable(view->result()));

    QStringList people;
    QStringList invitations;
    for (const QString &name : {u"Ada Lovelace"_s, u"Grace Hopper"_s}) {
        QVERIFY(pick(u"invite-person"_s));
        QVERIFY(type(u"Full name"_s, name));
        QVERIFY(type(u"E-mail address"_s, name.section(u' ', 0, 0).toLower() + u"@example.org"_s));
        QTest::keyClick(m_window->findChild<QComboBox *>(u"choice"_s), Qt::Key_Down);
        QVERIFY(type(u"Buildings, one per line"_s, u"North Hall\nAnnex"_s));
        QVERIFY2(done(run()), qPrintable(view->result()));
        const QString result = view->result();
        people.append(personId.match(result).captured(1));
        invitations.append(invitationId.match(result).captured(1));
        QVERIFY2(view->invitation()->startsWith(u"Tarnwick invite http://192.0.2.11:8080/"_s),
                 qPrintable(result));
        QVERIFY(m_window->findChild<QPushButton *>(u"copyButton"_s)->isVisible());
    }
    QCOMPARE(people, (QStringList{u"p-1"_s, u"p-2"_s}));

    QVERIFY(pick(u"revoke-invitation"_s));
    QVERIFY(type(u"Invitation ID"_s, invitations.at(1)));
    QVERIFY2(done(run()), qPrintable(view->result()));

    QVERIFY(pick(u"revoke-person"_s));
    QVERIFY(type(u"Person ID"_s, people.at(0)));
    QVERIFY2(done(run()), qPrintable(view->result()));

    QVERIFY(pick(u"reinstate-person"_s));
    QVERIFY(type(u"Person ID"_s, people.at(0)));
    QVERIFY(type(u"Buildings, one per line"_s, u"Annex"_s));
    QVERIFY2(done(run()), qPrintable(view->result()));
    QVERIFY(view->invitation().has_value());

    const QString backup = m_files.filePath(u"tarnwick backup.json"_s);
    QVERIFY(pick(u"backup"_s));
    QVERIFY(type(u"Backup file"_s, backup));
    QVERIFY2(done(run()), qPrintable(view->result()));
    QVERIFY(QFile::exists(backup));

    QVERIFY(pick(u"restore"_s));
    QVERIFY(type(u"Backup file"_s, backup));
    QVERIFY2(done(run()), qPrintable(view->result()));

    QVERIFY(pick(u"move-data"_s));
    QVERIFY(type(u"New data folder"_s, m_files.path()));
    QVERIFY2(done(run()), qPrintable(view->result()));

    QVERIFY(pick(u"status"_s));
    QVERIFY2(done(run()), qPrintable(view->result()));
    const QString status = view->result();
    QVERIFY2(status.contains(u"http://192.0.2.11:8080"_s), qPrintable(status));

    // Every form of the catalogue was run.
    QStringList ids;
    for (const Operation &operation : view->tasks())
        ids.append(operation.id);
    ran.removeDuplicates();
    ran.sort();
    ids.sort();
    QCOMPARE(ran, ids);
}

QTEST_MAIN(ShippedFormsTest)
#include "ShippedFormsTest.moc"

// Runs with the platform's locale set to another language (CTest starts it
// with LANG=de_DE.UTF-8 and again with LANG=fr_FR.UTF-8): the app's captions
// and Qt's own texts come out in that language from the translations built
// beside the catalogue and the system's Qt, while every text from the
// catalogue stays as written.
#include "FakeProgram.h"
#include "TestFolder.h"
#include "TestServices.h"
#include "app/TarnwickSetup.h"
#include "form/SetupView.h"
#include "window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// What the window must show in one language.
struct Captions
{
    QString reinstall;
    QStringList fileMenu; // the menu's title, then its commands
    QString copy;
    QString browse;
    QString operation;
    QString closeQuestion;
    QString closeButton; // Qt's own, as are the two below
    QString cancelButton;
    QString lookIn;
};

const QHash<QLocale::Language, Captions> expected{
    {QLocale::German,
     {u"Installieren Sie Tarnwick Server neu, um seine Einrichtungsformulare wiederherzustellen."_s,
      {u"&Datei"_s, u"&Neues Fenster"_s, u"Fenster &schließen"_s, u"&Beenden"_s},
      u"Persönliche Einladung kopieren"_s,
      u"Durchsuchen…"_s,
      u"Vorgang"_s,
      u"Die Aktion läuft mit Administratorrechten weiter, aber ihre Ausgabe wird nicht "
      u"angezeigt. Trotzdem schließen?"_s,
      u"Schließen"_s,
      u"Abbrechen"_s,
      u"Suchen in:"_s}},
    {QLocale::French,
     {u"Réinstallez Tarnwick Server pour rétablir ses formulaires de configuration."_s,
      {u"&Fichier"_s, u"&Nouvelle fenêtre"_s, u"&Fermer la fenêtre"_s, u"&Quitter"_s},
      u"Copier l’invitation personnelle"_s,
      u"Parcourir…"_s,
      u"Opération"_s,
      u"L’action continue de s’exécuter avec les droits d’administrateur, mais sa sortie ne "
      u"sera pas affichée. Fermer quand même\u00a0?"_s,
      u"Fermer"_s,
      u"Annuler"_s,
      u"Voir dans :"_s}},
};

QString shippedCatalogue()
{
    return QStringLiteral(TARNWICK_SHIPPED_CATALOGUE);
}

} // namespace

class TranslationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void reinstallMessage();
    void fileMenu();
    void catalogueTextsStayAsWritten();
    void fileChooser();
    void closeQuestion();

private:
    Captions m_captions;
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<FakeProgram> m_program;
    std::unique_ptr<TarnwickSetup> m_setup;
    std::unique_ptr<MainWindow> m_window;
};

void TranslationTest::initTestCase()
{
    const QLocale::Language language = QLocale::system().language();
    QVERIFY2(expected.contains(language),
             qPrintable(u"no captions to expect for the system locale "_s +
                        QLocale::system().name() +
                        u"; start the test with LANG=de_DE.UTF-8 or fr_FR.UTF-8"_s));
    m_captions = expected.value(language);
    QVERIFY2(QFileInfo(shippedCatalogue()).isFile(), qPrintable(shippedCatalogue()));
}

void TranslationTest::init()
{
    m_folder = std::make_unique<TestFolder>(TestFolder::Tmpdir::Set);
    QVERIFY(m_folder->isValid());
    m_program = std::make_unique<FakeProgram>();
    QVERIFY(m_program->isValid());
    m_program->holdManageScript("finished\\n");
    m_setup = std::make_unique<TarnwickSetup>(shippedCatalogue(),
                                              TestServices::forProgram(m_program->directory()));
    QVERIFY(!m_setup->tasks().isEmpty());
    m_window.reset(m_setup->openWindow());
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TranslationTest::cleanup()
{
    if (m_program)
        QVERIFY(m_program->release());
    if (m_window && m_window->setupView())
        QTRY_VERIFY(!m_window->setupView()->busy());
    m_window.reset();
    m_setup.reset();
    m_program.reset();
    m_folder.reset();
}

void TranslationTest::reinstallMessage()
{
    TarnwickSetup setup(m_folder->path() + u"/absent.json"_s,
                        TestServices::forProgram(m_program->directory()));
    std::unique_ptr<MainWindow> window(setup.openWindow());
    auto *message = window->findChild<QLabel *>(u"message"_s);
    QVERIFY(message);
    QCOMPARE(message->text(), m_captions.reinstall);
    // The application's name is the same in every language.
    QCOMPARE(window->windowTitle(), u"Tarnwick Server Setup"_s);
}

void TranslationTest::fileMenu()
{
    const QList<QAction *> menus = m_window->menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    QStringList texts{menus.constFirst()->text()};
    for (QAction *action : menus.constFirst()->menu()->actions()) {
        if (!action->isSeparator())
            texts.append(action->text());
    }
    QCOMPARE(texts, m_captions.fileMenu);
}

void TranslationTest::catalogueTextsStayAsWritten()
{
    QFile file(shippedCatalogue());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray forms = QJsonDocument::fromJson(file.readAll()).array();
    QVERIFY(!forms.isEmpty());

    auto *picker = m_window->findChild<QComboBox *>(u"picker"_s);
    QVERIFY(picker);
    QCOMPARE(picker->accessibleName(), m_captions.operation);
    QCOMPARE(m_window->findChild<QLabel *>(u"pickerLabel"_s)->text(), m_captions.operation);
    QCOMPARE(m_window->findChild<QPushButton *>(u"copyButton"_s)->text(), m_captions.copy);
    QCOMPARE(picker->count(), forms.size());
    for (qsizetype index = 0; index < forms.size(); ++index) {
        const QJsonObject form = forms.at(index).toObject();
        QCOMPARE(picker->itemText(int(index)), form[u"title"].toString());
        m_window->setupView()->setSelected(form[u"id"].toString());
        QCOMPARE(m_window->findChild<QLabel *>(u"info"_s)->text(), form[u"info"].toString());
        QCOMPARE(m_window->findChild<QPushButton *>(u"runButton"_s)->text(),
                 form[u"button"].toString());
        QStringList headings;
        for (const QLabel *heading : m_window->findChildren<QLabel *>(u"heading"_s))
            headings.append(heading->text());
        QStringList labels;
        for (const QJsonValue &field : form[u"fields"].toArray())
            labels.append(field.toArray().at(1).toString());
        QCOMPARE(headings, labels);
    }
}

void TranslationTest::fileChooser()
{
    m_window->setupView()->setSelected(u"backup"_s);
    auto *browse = m_window->findChild<QPushButton *>(u"browse"_s);
    QVERIFY(browse);
    QCOMPARE(browse->text(), m_captions.browse);
    QCOMPARE(browse->accessibleName(), m_captions.browse + u" Backup file"_s);

    QString title, lookIn;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        title = dialog->windowTitle();
        if (auto *label = dialog->findChild<QLabel *>(u"lookInLabel"_s))
            lookIn = label->text();
        dialog->reject();
    });
    browse->click();
    QCOMPARE(title, u"Backup file"_s);
    QCOMPARE(lookIn, m_captions.lookIn);
}

void TranslationTest::closeQuestion()
{
    SetupView *view = m_window->setupView();
    view->setSelected(u"status"_s);
    view->perform();
    QVERIFY(view->busy());

    QString question, close, cancel;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        question = box->text();
        close = box->button(QMessageBox::Close)->text();
        cancel = box->button(QMessageBox::Cancel)->text();
        box->button(QMessageBox::Cancel)->click();
    });
    QVERIFY(!m_window->close());
    QCOMPARE(question, m_captions.closeQuestion);
    QCOMPARE(close, m_captions.closeButton);
    QCOMPARE(cancel, m_captions.cancelButton);
}

QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"

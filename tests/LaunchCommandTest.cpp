#include "LaunchCommand.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Words = std::vector<std::string>;

QStringList toStrings(const Words &words)
{
    QStringList strings;
    for (const std::string &word : words)
        strings.append(QString::fromStdString(word));
    return strings;
}

const std::string program = "/opt/it's \"here\" $HOME `id`; rm -rf x \u00e9";

} // namespace

class LaunchCommandTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesAllButOneAbsolutePath_data();
    void refusesAllButOneAbsolutePath();
    void runsManageScriptInBareEnvironment_data();
    void runsManageScriptInBareEnvironment();
};

void LaunchCommandTest::refusesAllButOneAbsolutePath_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    const QString count =
        u"expected exactly one argument, the absolute path of a request file, but got "_s;
    QTest::newRow("none") << QStringList{} << count + u"0"_s;
    QTest::newRow("two") << QStringList{u"/tmp/a/request.json"_s, u"/tmp/b/request.json"_s}
                         << count + u"2"_s;
    QTest::newRow("option then path")
        << QStringList{u"--"_s, u"/tmp/a/request.json"_s} << count + u"2"_s;
    QTest::newRow("relative")
        << QStringList{u"request.json"_s}
        << u"the request file path must be absolute, but got \"request.json\""_s;
    QTest::newRow("dot relative")
        << QStringList{u"./tmp/request.json"_s}
        << u"the request file path must be absolute, but got \"./tmp/request.json\""_s;
    QTest::newRow("option") << QStringList{u"--help"_s}
                            << u"the request file path must be absolute, but got \"--help\""_s;
    QTest::newRow("assignment")
        << QStringList{u"NODE_OPTIONS=--require=/tmp/x.js"_s}
        << u"the request file path must be absolute, but got \"NODE_OPTIONS=--require=/tmp/x.js\""_s;
    QTest::newRow("empty") << QStringList{QString()}
                           << u"the request file path must be absolute, but got \"\""_s;
}

void LaunchCommandTest::refusesAllButOneAbsolutePath()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);

    Words words;
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    const LaunchCommand command(program, words);
    QVERIFY(!command.isValid());
    QCOMPARE(QString::fromStdString(command.error()), error);
    QCOMPARE(command.words().size(), 0u);
}

void LaunchCommandTest::runsManageScriptInBareEnvironment_data()
{
    QTest::addColumn<QString>("request");

    QTest::newRow("request folder") << u"/tmp/8C1F0E2A-5B4D-4E8F-9A1B-2C3D4E5F6071/request.json"_s;
    QTest::newRow("blanks and quotes") << u"/tmp/A B/it's \"x\" $y `z`; w/request.json"_s;
    QTest::newRow("equals sign") << u"/tmp/a=b/request.json"_s;
    QTest::newRow("root") << u"/"_s;
}

void LaunchCommandTest::runsManageScriptInBareEnvironment()
{
    QFETCH(QString, request);

    const LaunchCommand command(program, {request.toStdString()});
    QVERIFY(command.isValid());
    QCOMPARE(QString::fromStdString(command.error()), QString());
    const QString directory = QString::fromStdString(program);
    QCOMPARE(
        toStrings(command.words()),
        (QStringList{u"/usr/bin/env"_s, u"-i"_s, u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s,
                     directory + u"/node"_s, directory + u"/desktop/manage.mjs"_s, request}));
}

QTEST_GUILESS_MAIN(LaunchCommandTest)
#include "LaunchCommandTest.moc"

#include "runner/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class ChildProcessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sharesOnePipeForBothStreams();
    void discardsErrorStream();
    void readsUntilEveryWriterHasClosed();
    void passesWordsUnchanged();
    void keepsBytesExactly();
    void keepsLongOutputWhole();
    void replacesEnvironmentWhenGiven();
    void inheritsEnvironmentOtherwise();
    void reportsLaunchFailure_data();
    void reportsLaunchFailure();
    void leavesNoDescriptorsOpen();
    void handsChildOnlyWhatItIsGiven();
};

namespace {

ChildProcess::Result
shell(const QString &script,
      ChildProcess::ErrorStream errors = ChildProcess::ErrorStream::SameAsOutput)
{
    return ChildProcess::run({u"/bin/sh"_s, u"-c"_s, script}, errors);
}

} // namespace

void ChildProcessTest::sharesOnePipeForBothStreams()
{
    const auto result = shell(u"echo out; echo err >&2; echo out2"_s);
    QVERIFY(result.started);
    QCOMPARE(result.output, QByteArray("out\nerr\nout2\n"));
    QCOMPARE(result.error, QString());
}

void ChildProcessTest::discardsErrorStream()
{
    const auto result = shell(u"echo out; echo err >&2"_s, ChildProcess::ErrorStream::Discarded);
    QVERIFY(result.started);
    QCOMPARE(result.output, QByteArray("out\n"));
}

void ChildProcessTest::readsUntilEveryWriterHasClosed()
{
    // The shell exits at once; its background child writes later, and
    // that output belongs to the run as well.
    const auto result = shell(u"(sleep 0.3; echo late) & echo early"_s);
    QVERIFY(result.started);
    QCOMPARE(result.output, QByteArray("early\nlate\n"));
}

void ChildProcessTest::passesWordsUnchanged()
{
    const QStringList words{u"a b"_s,  u"it's"_s, u"\"q\""_s, u"$HOME"_s,
                            u"`id`"_s, u";"_s,    QString(),  u"\u00e9\u2026"_s};
    const auto result = ChildProcess::run(QStringList{u"/usr/bin/printf"_s, u"[%s]\\n"_s} + words,
                                          ChildProcess::ErrorStream::SameAsOutput);
    QByteArray expected;
    for (const QString &word : words)
        expected += '[' + word.toUtf8() + "]\n";
    QCOMPARE(result.output, expected);
}

void ChildProcessTest::keepsBytesExactly()
{
    const auto result = shell(u"printf 'a\\000b\\377\\r\\n\\n'"_s);
    QCOMPARE(result.output, QByteArray("a\0b\xff\r\n\n", 7));
}

void ChildProcessTest::keepsLongOutputWhole()
{
    // Many reads' worth, of a size no read boundary divides, printed in
    // pieces so that reads come back short as well as full.
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    QByteArray content(3 * 1024 * 1024 + 4099, Qt::Uninitialized);
    QRandomGenerator random(31337);
    for (char &byte : content)
        byte = char(random.bounded(256));
    QFile file(directory.filePath(u"content"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();

    const QStringList command{
        u"/bin/sh"_s, u"-c"_s,
        u"dd if=\"$0\" bs=40000 count=5 2>/dev/null; sleep 0.1; tail -c +200001 \"$0\""_s,
        file.fileName()};
    const auto result = ChildProcess::run(command, ChildProcess::ErrorStream::Discarded);
    QVERIFY(result.started);
    QCOMPARE(result.output.size(), content.size());
    QVERIFY(result.output == content);

    // Through a sink the same bytes come in pieces, in order, and nothing is kept.
    QByteArray pieces;
    int count = 0;
    const auto streamed = ChildProcess::run(command, ChildProcess::ErrorStream::Discarded,
                                            std::nullopt, [&](QByteArrayView piece) {
                                                pieces.append(piece);
                                                ++count;
                                            });
    QVERIFY(streamed.started);
    QVERIFY(streamed.output.isEmpty());
    QCOMPARE(pieces.size(), content.size());
    QVERIFY(pieces == content);
    QVERIFY(count > 1);
}

void ChildProcessTest::replacesEnvironmentWhenGiven()
{
    qputenv("TARNWICK_PROBE", "leaked");
    const auto result =
        ChildProcess::run({u"/usr/bin/env"_s}, ChildProcess::ErrorStream::SameAsOutput,
                          QStringList{u"PATH=/usr/bin:/bin"_s, u"LANG=en_US.UTF-8"_s});
    QCOMPARE(result.output, QByteArray("PATH=/usr/bin:/bin\nLANG=en_US.UTF-8\n"));

    const auto none = ChildProcess::run({u"/usr/bin/env"_s},
                                        ChildProcess::ErrorStream::SameAsOutput, QStringList{});
    QVERIFY(none.started);
    QCOMPARE(none.output, QByteArray());
}

void ChildProcessTest::inheritsEnvironmentOtherwise()
{
    qputenv("TARNWICK_PROBE", "inherited value");
    const auto result =
        ChildProcess::run({u"/usr/bin/env"_s}, ChildProcess::ErrorStream::SameAsOutput);
    QVERIFY(result.output.split('\n').contains("TARNWICK_PROBE=inherited value"));
}

void ChildProcessTest::reportsLaunchFailure_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << u"/nonexistent/pkexec"_s << u"No such file or directory"_s;
    QTest::newRow("a folder") << u"/tmp"_s << u"Permission denied"_s;
    QTest::newRow("not absolute is not searched") << u"sh"_s << u"No such file or directory"_s;
}

void ChildProcessTest::reportsLaunchFailure()
{
    QFETCH(QString, program);
    QFETCH(QString, reason);
    const auto result =
        ChildProcess::run({program, u"x"_s}, ChildProcess::ErrorStream::SameAsOutput);
    QVERIFY(!result.started);
    QCOMPARE(result.output, QByteArray());
    QCOMPARE(result.error, u"Could not start "_s + program + u": "_s + reason);
}

void ChildProcessTest::leavesNoDescriptorsOpen()
{
    const auto openDescriptors = [] {
        return QDir(u"/proc/self/fd"_s)
            .entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)
            .size();
    };
    const qsizetype before = openDescriptors();
    for (int run = 0; run < 20; ++run) {
        shell(u"echo x"_s);
        ChildProcess::run({u"/nonexistent"_s}, ChildProcess::ErrorStream::Discarded);
    }
    QCOMPARE(openDescriptors(), before);
}

void ChildProcessTest::handsChildOnlyWhatItIsGiven()
{
    // Descriptors the app inherited from its shell, without close-on-exec.
    int planted[2];
    QCOMPARE(::pipe(planted), 0);
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const int handed =
        ::open(QFile::encodeName(directory.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(handed >= 0);

    // The shell's own descriptors: the standard three and what it was handed.
    ChildProcess child =
        ChildProcess::start({u"/bin/sh"_s, u"-c"_s, u"ls /proc/$$/fd; readlink /proc/$$/fd/3"_s},
                            {ChildProcess::ErrorStream::SameAsOutput, std::nullopt, {handed}});
    ::close(planted[0]);
    ::close(planted[1]);
    ::close(handed);
    QVERIFY(child.started());
    QByteArray output;
    child.read([&output](QByteArrayView piece) { output.append(piece); });
    child.wait();
    QCOMPARE(output, "0\n1\n2\n3\n" + QFile::encodeName(directory.path()) + '\n');
}

QTEST_GUILESS_MAIN(ChildProcessTest)
#include "ChildProcessTest.moc"

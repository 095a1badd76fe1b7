#include "FakeProgram.h"

#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Records into record/<script name>/ beside itself, then runs the script.
const char node[] = R"sh(#!/bin/sh
here=$(dirname "$0")
record="$here/record/$(basename "$1")"
# Plain mkdir: a run that outlives its test must not bring back the removed folder.
mkdir "$here/record" "$record" 2>/dev/null
[ -d "$record" ] || exec /bin/sh "$@"
# In a subshell: redirecting a plain command makes the shell itself save its
# own output aside first, and those copies would show in the listing.
(ls -l /proc/$$/fd) > "$record/descriptors" 2>/dev/null
# Recording is best effort: runs of one program at the same time may race
# on these files, and that must not show in the run's own output.
{
  cat /proc/$$/environ > "$record/environment"
  : > "$record/arguments"
  for word in "$0" "$@"; do printf '%s\0' "$word" >> "$record/arguments"; done
  if [ -n "$2" ] && [ -f "$2" ]; then
    cp "$2" "$record/request.json"
    stat -c %a "$(dirname "$2")" > "$record/mode"
  fi
} 2>/dev/null
exec /bin/sh "$@"
)sh";

QStringList nulSeparated(const QByteArray &bytes)
{
    QStringList words;
    for (const QByteArray &word : bytes.split('\0'))
        words.append(QString::fromUtf8(word));
    if (!words.isEmpty() && words.constLast().isEmpty())
        words.removeLast();
    return words;
}

} // namespace

FakeProgram::FakeProgram(const QString &nameTemplate)
{
    // QDir::tempPath() is empty when TMPDIR names a folder that is not
    // there; the template would then name a folder at the root.
    const QString temporary = QDir::tempPath();
    if (temporary.isEmpty()) {
        qWarning("FakeProgram: no temporary folder (TMPDIR is \"%s\")",
                 qPrintable(qEnvironmentVariable("TMPDIR")));
        return;
    }
    m_temporary = std::make_unique<QTemporaryDir>(temporary + u'/' + nameTemplate);
    m_directory = m_temporary->path();
    m_valid = m_temporary->isValid();
    m_owned = m_valid;
    populate();
}

FakeProgram::FakeProgram(const Exactly &where) : m_directory(where.directory)
{
    // A missing setting must fail the test, never name the current folder
    // (QDir("")) or another that the test did not make for itself.
    if (!QDir::isAbsolutePath(m_directory) || QDir::cleanPath(m_directory) == u"/") {
        qWarning("FakeProgram: no absolute program folder given (\"%s\")", qPrintable(m_directory));
        return;
    }
    // Made here, never taken over: what lies there already is another run's
    // (one that is under way, or one that was killed), so it is left alone.
    if (!QDir().mkdir(m_directory)) {
        qWarning("FakeProgram: cannot make %s; if no test is running, a killed run left it: "
                 "remove it by hand",
                 qPrintable(m_directory));
        return;
    }
    m_valid = true;
    m_owned = true;
    populate();
}

FakeProgram::~FakeProgram()
{
    if (!m_valid)
        return;
    // Whatever still runs from here (a held script, a discovery the test did
    // not wait for, a keeper seeing its command out) would write into the
    // folder while it is removed and bring parts of it back.
    // A job that is about to start a script shows in no process list yet,
    // so the jobs of this process are waited for first.
    release();
    const int jobs = Processes::awaitBackgroundJobs();
    const QList<qint64> running = Processes::awaitNoneMentioning(m_directory);
    if (jobs > 0 || !running.isEmpty()) {
        QStringList pids;
        for (const qint64 pid : running)
            pids.append(QString::number(pid));
        const QByteArray message = QByteArray::number(jobs) + " background jobs and processes [" +
                                   pids.join(u", "_s).toUtf8() + "] still run; " +
                                   QFile::encodeName(m_directory) + " is left in place";
        if (m_temporary)
            m_temporary->setAutoRemove(false);
        if (QTest::currentTestFunction())
            QTest::qFail(message.constData(), __FILE__, __LINE__);
        else
            qCritical("%s", message.constData());
        return;
    }
    if (!m_owned)
        return;
    // Renamed first: a script started by another process just now, which no
    // wait here can see, finds its own path gone and makes nothing; removing
    // in place, it could bring a folder back between two removals.
    const QString gone = m_directory + u".gone"_s;
    if (!QDir().rename(m_directory, gone)) {
        QDir(m_directory).removeRecursively();
        return;
    }
    if (m_temporary)
        m_temporary->setAutoRemove(false);
    QDir(gone).removeRecursively();
}

void FakeProgram::populate()
{
    if (!m_valid)
        return;
    write(QStringLiteral("node"), node, true);
    setManageScript("printf 'done\\n'\n");
    setServerScript("printf '[]'\n");
}

void FakeProgram::setManageScript(const QByteArray &shell)
{
    write(QStringLiteral("desktop/manage.mjs"), shell);
}

void FakeProgram::setServerScript(const QByteArray &shell)
{
    write(QStringLiteral("server/tarnwick.mjs"), shell);
}

void FakeProgram::holdManageScript(const QByteArray &output)
{
    // It also stops waiting once the program is removed, so a test that
    // ends without releasing it leaves nothing running. Copying the request
    // last shows that it was there until the very end; the copy appears
    // whole, under its name, only once it is complete.
    setManageScript("here=$(dirname \"$0\")\n"
                    "trap 'echo TERM >> \"$here/terminated\"' TERM\n"
                    "while [ -d \"$here\" ] && [ ! -e \"$here/release\" ]; do sleep 0.05; done\n"
                    "cp \"$1\" \"$here/.effect.$$\" 2>/dev/null &&\n"
                    "  mv \"$here/.effect.$$\" \"$here/effect.$$\"\n"
                    "printf '" +
                    output + "'\n");
}

void FakeProgram::holdServerScript(const QByteArray &output)
{
    setServerScript("here=$(dirname \"$0\")\n"
                    "while [ -d \"$here\" ] && [ ! -e \"$here/release\" ]; do sleep 0.05; done\n"
                    "printf '" +
                    output + "'\n");
}

QList<QByteArray> FakeProgram::heldEffects() const
{
    QList<QByteArray> effects;
    const QDir scripts(m_directory + QStringLiteral("/desktop"));
    for (const QString &name : scripts.entryList({QStringLiteral("effect.*")}, QDir::Files)) {
        QFile file(scripts.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            effects.append(file.readAll());
    }
    return effects;
}

bool FakeProgram::heldWasTerminated() const
{
    return QFileInfo::exists(m_directory + QStringLiteral("/desktop/terminated"));
}

bool FakeProgram::release()
{
    QFile manage(m_directory + QStringLiteral("/desktop/release"));
    QFile server(m_directory + QStringLiteral("/server/release"));
    return manage.open(QIODevice::WriteOnly) && server.open(QIODevice::WriteOnly);
}

QStringList FakeProgram::recordedArguments(const QString &script) const
{
    return nulSeparated(read(script, QStringLiteral("arguments")));
}

QStringList FakeProgram::recordedEnvironment(const QString &script) const
{
    return nulSeparated(read(script, QStringLiteral("environment")));
}

QByteArray FakeProgram::recordedRequest(const QString &script) const
{
    return read(script, QStringLiteral("request.json"));
}

QString FakeProgram::recordedRequestFolderMode(const QString &script) const
{
    return QString::fromUtf8(read(script, QStringLiteral("mode"))).trimmed();
}

QStringList FakeProgram::recordedStrayDescriptors(const QString &script) const
{
    // ls -l shows "… 3 -> /path"; the shell keeps its own script open above
    // the standard three, which is no descriptor the app handed on.
    QStringList stray;
    const QString self = m_directory + QStringLiteral("/node");
    for (const QString &line : QString::fromUtf8(read(script, QStringLiteral("descriptors")))
                                   .split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype arrow = line.indexOf(QStringLiteral(" -> "));
        if (arrow < 0)
            continue;
        const QString fd = line.left(arrow).section(u' ', -1);
        const QString target = line.mid(arrow + 4);
        if (fd.toInt() > 2 && target != self)
            stray.append(fd + QStringLiteral(" -> ") + target);
    }
    return stray;
}

void FakeProgram::write(const QString &relativePath, const QByteArray &content, bool executable)
{
    const QString path = m_directory + u'/' + relativePath;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                            QFileDevice::ExeOther);
}

QByteArray FakeProgram::read(const QString &script, const QString &name) const
{
    QFile file(m_directory + QStringLiteral("/record/") + script + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

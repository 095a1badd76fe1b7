#include "runner/ActionRunner.h"

#include "InstalledProgram.h"
#include "runner/ChildProcess.h"
#include "runner/Descriptor.h"
#include "runner/PrivateFolder.h"
#include "runner/RunGate.h"
#include "runner/Utf8Decoder.h"

#include <QFile>
#include <QJsonDocument>
#include <QLocale>
#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A run's output as text, decoded as it is read, so a long output is never
// held as bytes and as text at once; past ActionRunner::outputLimit bytes it
// is only counted.
class KeptOutput
{
public:
    void take(QByteArrayView piece)
    {
        const qsizetype room = ActionRunner::outputLimit - m_kept;
        const qsizetype kept = std::min(room, piece.size());
        if (kept > 0) {
            m_decoder.feed(piece.first(kept));
            m_kept += kept;
        }
        m_leftOut += piece.size() - kept;
    }

    // The text kept, verbatim; past the limit, one more line says how much
    // was left out.
    QString finish()
    {
        // A character the limit cut in two is left out whole rather than
        // shown as a replacement character.
        if (m_leftOut > 0)
            m_leftOut += m_decoder.dropIncomplete();
        QString text = m_decoder.finish();
        if (m_leftOut == 0)
            return text;
        if (!text.isEmpty() && !text.endsWith(u'\n') && !text.endsWith(u'\r'))
            text += u'\n';
        return text +
               ActionRunner::tr("%1 more bytes of output were left out; only the first 16 MiB "
                                "are shown.")
                   .arg(QLocale().toString(m_leftOut));
    }

private:
    Utf8Decoder m_decoder;
    qsizetype m_kept = 0;
    qint64 m_leftOut = 0;
};

QString folderFailure(const QString &folder, int error)
{
    return ActionRunner::tr("Could not create the request folder %1: %2")
        .arg(folder, qt_error_string(error));
}

// All that a started keeper may still write: the number of the error that
// kept it from starting the command.
std::optional<int> startError(int report)
{
    QByteArray text;
    char buffer[32];
    for (;;) {
        const ssize_t count = ::read(report, buffer, sizeof buffer);
        if (count > 0)
            text.append(buffer, count);
        else if (count == 0 || errno != EINTR)
            break;
    }
    bool number = false;
    const int error = text.toInt(&number);
    return number ? std::optional(error) : std::nullopt;
}

} // namespace

QJsonObject ActionRunner::request(const QString &action, const QMap<QString, QString> &values)
{
    QJsonObject valueObject;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        valueObject.insert(it.key(), it.value());
    return {{QStringLiteral("action"), action},
            {QStringLiteral("values"), valueObject},
            {QStringLiteral("format"), QStringLiteral("display")}};
}

QString ActionRunner::run(const QJsonObject &request, const ServerProgram &program,
                          const Elevation &elevation, const QString &keeper,
                          const QString &temporaryDirectory, RunGate &gate)
{
    // QDir::tempPath() is empty when TMPDIR names a folder that does not
    // exist; joining the name to it would make the folder at the root.
    if (temporaryDirectory.isEmpty()) {
        return tr("Could not create the request folder: the temporary folder %1 does not exist")
            .arg(qEnvironmentVariable("TMPDIR"));
    }
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QByteArray nameBytes = name.toLatin1();
    const QString folderPath = temporaryDirectory + u'/' + name;
    const QString requestPath = folderPath + QStringLiteral("/request.json");

    const Descriptor temporary(::open(QFile::encodeName(temporaryDirectory).constData(),
                                      O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat status;
    if (!temporary.isOpen() || ::fstat(temporary.get(), &status) != 0)
        return folderFailure(folderPath, errno);
    // Whoever can rename entries of the temporary folder could put another
    // request in place of this one while the password is asked for.
    switch (PrivateFolder::exposure(status, ::geteuid())) {
    case PrivateFolder::Exposure::None:
        break;
    case PrivateFolder::Exposure::SharedWithoutSticky:
        return tr("Did not run: others could rename or replace what is in the temporary folder "
                  "%1, so the request could be swapped before it runs with administrator "
                  "rights. Set TMPDIR to a folder that only you can write to.")
            .arg(temporaryDirectory);
    case PrivateFolder::Exposure::OwnedByOther:
        return tr("Did not run: the temporary folder %1 belongs to another user, who could swap "
                  "the request before it runs with administrator rights. Set TMPDIR to a folder "
                  "of your own.")
            .arg(temporaryDirectory);
    }

    const QByteArray json = QJsonDocument(request).toJson(QJsonDocument::Compact);
    const QStringList command =
        elevation.command(program.node(), program.manageScript(), requestPath);
    Descriptor report;
    Descriptor reportWriteEnd;
    if (!Descriptor::makePipe(report, reportWriteEnd))
        return tr("Could not start %1: %2").arg(keeper, qt_error_string(errno));

    // From the moment the folder exists until the keeper holds it, the gate
    // keeps the app from quitting; from then on the keeper removes it.
    std::optional<ChildProcess> child;
    QString failure;
    const bool open = gate.pass([&] {
        const int made = PrivateFolder::make(temporary.get(), nameBytes.constData());
        if (made < 0) {
            failure = folderFailure(folderPath, -made);
            return;
        }
        const Descriptor folder(made);
        if (const int error = PrivateFolder::writeNew(folder.get(), "request.json",
                                                      json.constData(), std::size_t(json.size()))) {
            PrivateFolder::remove(temporary.get(), nameBytes.constData(), folder.get());
            failure = tr("Could not write the request file %1: %2")
                          .arg(requestPath, qt_error_string(error));
            return;
        }
        child.emplace(ChildProcess::start(QStringList{keeper, name} + command,
                                          {ChildProcess::ErrorStream::SameAsOutput,
                                           std::nullopt,
                                           {temporary.get(), folder.get(), reportWriteEnd.get()}}));
        if (!child->started()) {
            PrivateFolder::remove(temporary.get(), nameBytes.constData(), folder.get());
            failure = child->error();
        }
    });
    // Only the keeper may hold the report's write end now, or its end never comes.
    reportWriteEnd.reset();
    if (!open)
        return tr("Did not run: the app is quitting.");
    if (!failure.isEmpty())
        return failure;

    KeptOutput output;
    child->read([&output](QByteArrayView piece) { output.take(piece); });
    child->wait();
    if (const std::optional<int> error = startError(report.get()))
        return tr("Could not start %1: %2").arg(command.constFirst(), qt_error_string(*error));
    return output.finish();
}

QString ActionRunner::installedKeeper()
{
    return QCoreApplication::applicationDirPath() + u'/' +
           QString::fromUtf8(TARNWICK_KEEPER_FROM_APP_UTF8);
}

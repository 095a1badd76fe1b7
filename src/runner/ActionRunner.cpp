#include "runner/ActionRunner.h"

#include "runner/ChildProcess.h"
#include "runner/RunningRequests.h"
#include "runner/Utf8Decoder.h"

#include <QFile>
#include <QJsonDocument>
#include <QUuid>

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
                          const Elevation &elevation, const QString &temporaryDirectory)
{
    RunningRequests running;
    return run(request, program, elevation, temporaryDirectory, running);
}

QString ActionRunner::run(const QJsonObject &request, const ServerProgram &program,
                          const Elevation &elevation, const QString &temporaryDirectory,
                          RunningRequests &running)
{
    // QDir::tempPath() is empty when TMPDIR names a folder that does not
    // exist; joining the name to it would make the folder at the root.
    if (temporaryDirectory.isEmpty()) {
        return tr("Could not create the request folder: the temporary folder %1 does not exist")
            .arg(qEnvironmentVariable("TMPDIR"));
    }
    const QString directory =
        temporaryDirectory + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (const QString failure = running.create(directory); !failure.isEmpty())
        return failure;
    const QString outcome = runIn(directory, request, program, elevation);
    running.remove(directory);
    return outcome;
}

QString ActionRunner::writeRequest(const QString &path, const QJsonObject &request)
{
    QFile file(path);
    // NewOnly creates the file exclusively: an existing file or a link planted
    // at this path makes the write fail instead of being followed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return tr("Could not write the request file %1: %2").arg(path, file.errorString());
    }
    const QByteArray json = QJsonDocument(request).toJson(QJsonDocument::Compact);
    if (file.write(json) != json.size() || !file.flush())
        return tr("Could not write the request file %1: %2").arg(path, file.errorString());
    return {};
}

QString ActionRunner::runIn(const QString &directory, const QJsonObject &request,
                            const ServerProgram &program, const Elevation &elevation)
{
    const QString path = directory + QStringLiteral("/request.json");
    if (const QString failure = writeRequest(path, request); !failure.isEmpty())
        return failure;

    const QStringList command = elevation.command(program.node(), program.manageScript(), path);
    // Decoded as it arrives, so a long output is never held as bytes and
    // as text at once.
    Utf8Decoder decoder;
    const ChildProcess::Result child =
        ChildProcess::run(command, ChildProcess::ErrorStream::SameAsOutput, std::nullopt,
                          [&decoder](QByteArrayView piece) { decoder.feed(piece); });
    if (!child.started)
        return child.error;
    return decoder.finish();
}

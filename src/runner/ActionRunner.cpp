#include "runner/ActionRunner.h"

#include "runner/ChildProcess.h"
#include "runner/Utf8Decoder.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QUuid>
#include <cerrno>
#include <sys/stat.h>

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
    // QDir::tempPath() is empty when TMPDIR names a folder that does not
    // exist; joining the name to it would make the folder at the root.
    if (temporaryDirectory.isEmpty()) {
        return tr("Could not create the request folder: the temporary folder %1 does not exist")
            .arg(qEnvironmentVariable("TMPDIR"));
    }
    const QString directory =
        temporaryDirectory + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    // mkdir itself rather than QDir::mkdir: the directory must be private from
    // the moment it exists, and the reason for a failure belongs in the result.
    if (::mkdir(QFile::encodeName(directory).constData(), S_IRWXU) != 0) {
        return tr("Could not create the request folder %1: %2")
            .arg(directory, qt_error_string(errno));
    }
    const QString outcome = runIn(directory, request, program, elevation);
    QDir(directory).removeRecursively();
    return outcome;
}

QString ActionRunner::runIn(const QString &directory, const QJsonObject &request,
                            const ServerProgram &program, const Elevation &elevation)
{
    const QString path = directory + QStringLiteral("/request.json");
    QFile file(path);
    // NewOnly creates the file exclusively: an existing file or a link planted
    // at this path makes the write fail instead of being followed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return tr("Could not write the request file %1: %2").arg(path, file.errorString());
    }
    const QByteArray json = QJsonDocument(request).toJson(QJsonDocument::Compact);
    if (file.write(json) != json.size() || !file.flush()) {
        return tr("Could not write the request file %1: %2").arg(path, file.errorString());
    }
    file.close();

    const QStringList command = elevation.command(program.node(), program.manageScript(), path);
    const ChildProcess::Result child =
        ChildProcess::run(command, ChildProcess::ErrorStream::SameAsOutput);
    if (!child.started)
        return child.error;
    return Utf8Decoder::decode(child.output);
}

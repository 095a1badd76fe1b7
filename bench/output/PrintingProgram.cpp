#include "PrintingProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <random>

namespace {

QByteArray shortLines(qsizetype size)
{
    QByteArray bytes;
    bytes.reserve(size + 200);
    for (qint64 number = 0; bytes.size() < size; ++number) {
        bytes += "step ";
        bytes += QByteArray::number(number);
        // One line in sixteen carries non-ASCII text, as names and places do.
        bytes += number % 16 == 0 ? ": wrote the settings of Geb\xc3\xa4ude S\xc3\xbc"
                                    "d for Jos\xc3\xa9 \xe2\x80\x94 checks passed\n"
                                  : ": wrote the settings of building B and checked them, "
                                    "all checks passed\n";
    }
    bytes.truncate(size - 1);
    bytes += '\n';
    return bytes;
}

// Letters, digits and punctuation without a blank, lineLength bytes a line
// (the line end included), or one line when lineLength is 0.
QByteArray unbroken(qsizetype size, qsizetype lineLength)
{
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=:,{}\"\"";
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype at = 0; at < size; ++at)
        bytes[at] = alphabet[(at * 7 + at / 61) % (sizeof alphabet - 1)];
    if (lineLength > 0) {
        for (qsizetype at = lineLength - 1; at < size; at += lineLength)
            bytes[at] = '\n';
    }
    return bytes;
}

QByteArray randomBytes(qsizetype size)
{
    std::mt19937 generator(20240611);
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype at = 0; at < size; ++at)
        bytes[at] = char(generator() & 0xff);
    return bytes;
}

QByteArray output(qsizetype size, PrintingProgram::Shape shape)
{
    switch (shape) {
    case PrintingProgram::Shape::ShortLines:
        return shortLines(size);
    case PrintingProgram::Shape::LongLines:
        return unbroken(size, 64 * 1024);
    case PrintingProgram::Shape::OneLine:
        return unbroken(size, 0);
    case PrintingProgram::Shape::RandomBytes:
        return randomBytes(size);
    }
    return {};
}

} // namespace

PrintingProgram::PrintingProgram(qsizetype outputBytes, Shape shape)
    : m_directory(QDir::tempPath() + QStringLiteral("/tarnwick-bench-XXXXXX"))
{
    m_valid =
        m_directory.isValid() &&
        write(QStringLiteral("node"), "#!/bin/sh\nexec /bin/sh \"$@\"\n", true) &&
        write(QStringLiteral("desktop/manage.mjs"), "exec cat \"${0%/*}/output.txt\"\n", false) &&
        write(QStringLiteral("desktop/output.txt"), output(outputBytes, shape), false);
}

QString PrintingProgram::outputPath() const
{
    return m_directory.filePath(QStringLiteral("desktop/output.txt"));
}

QString PrintingProgram::outputText() const
{
    QFile file(outputPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool PrintingProgram::write(const QString &relativePath, const QByteArray &content, bool executable)
{
    const QString path = m_directory.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner |
                                              QFileDevice::ExeGroup | QFileDevice::ExeOther);
}

#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A server program directory whose management script prints one file of a
// given size and shape, and nothing else. Its "node" hands the script
// straight to sh: the tests' fake program keeps a record of each run, which
// would add to the times here.
class PrintingProgram
{
public:
    enum class Shape
    {
        // Lines of mostly ASCII text with a few accented words.
        ShortLines,
        // Lines of 64 KiB without a blank, as a dump of encoded data has.
        LongLines,
        // All of it one line without a blank and without a line end.
        OneLine,
        // Bytes from a seeded generator: invalid UTF-8, control characters,
        // line ends at random and characters of right-to-left scripts.
        RandomBytes,
    };

    explicit PrintingProgram(qsizetype outputBytes, Shape shape = Shape::ShortLines);

    bool isValid() const { return m_valid; }
    QString directory() const { return m_directory.path(); }
    // The file the management script prints.
    QString outputPath() const;
    // The text of that output, as the result box should show it.
    QString outputText() const;

private:
    bool write(const QString &relativePath, const QByteArray &content, bool executable);

    QTemporaryDir m_directory;
    bool m_valid = false;
};

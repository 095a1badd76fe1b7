#pragma once

#include <QString>
#include <optional>

// Prints one figure as one line: the subject, its baseline, their ratio with
// the target it is held to, and the machine's load from the figure's start
// to its end, so a reader can tell a busy machine from a slow program.
class FigureLine
{
public:
    // Notes the load at the start of the figure.
    explicit FigureLine(QString name);

    // A figure held to a ratio, subject / baseline <= target, or only
    // reported when it has no target.
    void printRatio(const QString &subject, double subjectValue, const QString &baseline,
                    double baselineValue, const QString &unit, std::optional<double> target) const;
    // A figure held to an absolute limit, or only reported when it has
    // none; the reference (e.g. the idle figure) is shown beside it.
    void printLimit(double value, const QString &unit, std::optional<double> limit,
                    const QString &reference) const;

    // The one-minute load average, as /proc/loadavg has it.
    static QString load();

private:
    void print(const QString &body) const;

    QString m_name;
    QString m_loadAtStart;
};

#include "FigureLine.h"

#include <QFile>
#include <cstdio>
#include <utility>

FigureLine::FigureLine(QString name) : m_name(std::move(name)), m_loadAtStart(load()) {}

void FigureLine::printRatio(const QString &subject, double subjectValue, const QString &baseline,
                            double baselineValue, const QString &unit,
                            std::optional<double> target) const
{
    const double ratio = baselineValue > 0 ? subjectValue / baselineValue : 0;
    const QString verdict =
        target ? QStringLiteral("target <= %1, %2")
                     .arg(*target, 0, 'f', 2)
                     .arg(ratio <= *target ? QStringLiteral("met") : QStringLiteral("MISSED"))
               : QStringLiteral("no target");
    print(QStringLiteral("%1 %2 %3 vs %4 %5 %3: ratio %6 (%7)")
              .arg(subject)
              .arg(subjectValue, 0, 'f', 3)
              .arg(unit, baseline)
              .arg(baselineValue, 0, 'f', 3)
              .arg(ratio, 0, 'f', 2)
              .arg(verdict));
}

void FigureLine::printLimit(double value, const QString &unit, std::optional<double> limit,
                            const QString &reference) const
{
    const QString target =
        limit ? QStringLiteral("target <= %1 %2, %3")
                    .arg(*limit, 0, 'f', 0)
                    .arg(unit, value <= *limit ? QStringLiteral("met") : QStringLiteral("MISSED"))
              : QStringLiteral("no target");
    print(QStringLiteral("%1 %2 (%3; %4)").arg(value, 0, 'f', 1).arg(unit, target, reference));
}

QString FigureLine::load()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').constFirst());
}

void FigureLine::print(const QString &body) const
{
    std::printf("%-34s %s  [load %s -> %s]\n", qPrintable(m_name + u':'), qPrintable(body),
                qPrintable(m_loadAtStart), qPrintable(load()));
    std::fflush(stdout);
}

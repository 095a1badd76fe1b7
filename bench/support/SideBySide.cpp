#include "SideBySide.h"

#include <algorithm>

namespace {

SideBySide::Sample medians(const QList<SideBySide::Sample> &samples)
{
    SideBySide::Sample result;
    if (samples.isEmpty())
        return result;
    for (qsizetype measure = 0; measure < samples.constFirst().size(); ++measure) {
        QList<double> values;
        for (const SideBySide::Sample &sample : samples)
            values.append(sample.at(measure));
        result.append(SideBySide::median(values));
    }
    return result;
}

} // namespace

SideBySide::Medians SideBySide::run(int rounds, const std::function<Sample()> &subject,
                                    const std::function<Sample()> &baseline)
{
    QList<Sample> subjects;
    QList<Sample> baselines;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            subjects.append(subject());
            baselines.append(baseline());
        } else {
            baselines.append(baseline());
            subjects.append(subject());
        }
    }
    return {medians(subjects), medians(baselines)};
}

double SideBySide::median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

#pragma once

#include <QList>
#include <functional>

// Measures a subject and its baseline in alternating rounds, so that a change
// in the machine's load while the figure is taken falls on both alike, and
// keeps the median of each measure. The order within a round flips every
// round, so neither side always runs right after the other.
class SideBySide
{
public:
    // One run's measures, e.g. milliseconds and kibibytes, always in the same order.
    using Sample = QList<double>;

    struct Medians
    {
        Sample subject;
        Sample baseline;
    };

    static Medians run(int rounds, const std::function<Sample()> &subject,
                       const std::function<Sample()> &baseline);

    static double median(QList<double> values);
};

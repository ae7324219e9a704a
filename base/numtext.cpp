#include "base/numtext.h"

#include <cmath>

namespace NumText
{

qint64 roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) {
        return static_cast<qint64>(floor);
    }
    if (diff > 0.5) {
        return static_cast<qint64>(floor) + 1;
    }
    const auto lower = static_cast<qint64>(floor);
    return (lower % 2 == 0) ? lower : lower + 1;
}

QString decimalText(qint64 value)
{
    return QString::number(value);
}

} // namespace NumText

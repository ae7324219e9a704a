#pragma once

#include <QString>

namespace NumText
{

// Rounds to a whole number with exact halves going to the even neighbour (12.5 -> 12).
qint64 roundHalfEven(double value);

// Decimal text of an integer: no spaces, a minus sign only for negative values.
QString decimalText(qint64 value);

} // namespace NumText

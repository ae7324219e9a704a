#pragma once

#include <QString>

// How fast a run goes. The value is the level as a record stores it and as it multiplies a
// run's point.
enum class SpeedLevel : qint16 { Slow = 1, Normal = 2, Fast = 3 };

namespace Speed
{

constexpr SpeedLevel kLevels[] = {SpeedLevel::Slow, SpeedLevel::Normal, SpeedLevel::Fast};

constexpr qint16 multiplier(SpeedLevel level)
{
    return static_cast<qint16>(level);
}

// Seconds a question lasts: 30, 20, 10.
constexpr int seconds(SpeedLevel level)
{
    return (4 - multiplier(level)) * 10;
}

// "Slow", "Normal", "Fast".
QString caption(SpeedLevel level);

// The caption of a level as a record stores it; "" for a value that is no level.
QString captionOfStored(qint16 stored);

} // namespace Speed

#include "settings/speed.h"

namespace Speed
{

int secondsForIndex(int index)
{
    return (3 - index) * 10;
}

float timeStepForIndex(int index)
{
    return static_cast<float>(4635.0 / static_cast<double>(secondsForIndex(index)));
}

QString wordForSpeed(int speed)
{
    switch (speed) {
    case 1:
        return QStringLiteral("Slow");
    case 2:
        return QStringLiteral("Normal");
    case 3:
        return QStringLiteral("Fast");
    default:
        return QString();
    }
}

} // namespace Speed

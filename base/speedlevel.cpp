#include "base/speedlevel.h"

namespace Speed
{

QString caption(SpeedLevel level)
{
    switch (level) {
    case SpeedLevel::Slow:
        return QStringLiteral("Slow");
    case SpeedLevel::Normal:
        return QStringLiteral("Normal");
    case SpeedLevel::Fast:
        return QStringLiteral("Fast");
    }
    return QString();
}

QString captionOfStored(qint16 stored)
{
    for (SpeedLevel level : kLevels) {
        if (multiplier(level) == stored) {
            return caption(level);
        }
    }
    return QString();
}

} // namespace Speed

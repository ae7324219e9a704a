#include "base/random.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

Random::Random(quint64 fixedSeed) : m_engine(fixedSeed), m_fixed(true), m_fixedSeed(fixedSeed) {}

void Random::seedFromClock()
{
    if (m_fixed) {
        m_engine.seed(m_fixedSeed + m_seedings++);
        return;
    }
    const auto now = static_cast<quint64>(QDateTime::currentMSecsSinceEpoch());
    std::random_device device;
    m_engine.seed(now ^ (static_cast<quint64>(device()) << 20));
}

double Random::next()
{
    // 53 random bits give every double in [0, 1) on a 2^-53 grid: never 1.
    return static_cast<double>(m_engine() >> 11) * (1.0 / 9007199254740992.0);
}

int drawIntFrom(double x, int m)
{
    // m * x can round up to m for x just below 1; the draw must still stay within 1..m.
    const int r = static_cast<int>(std::floor(static_cast<double>(m) * x)) + 1;
    return std::clamp(r, 1, m);
}

int drawInt(Random &random, int m)
{
    return drawIntFrom(random.next(), m);
}

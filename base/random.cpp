#include "base/random.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace {
bool g_fixed = false;
quint64 g_fixedSeed = 0;
quint64 g_seedings = 0;
} // namespace

void Random::seedFromClock()
{
    if (g_fixed) {
        m_engine.seed(g_fixedSeed + g_seedings++);
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

void Random::fixSeedForTesting(quint64 seed)
{
    g_fixed = true;
    g_fixedSeed = seed;
    g_seedings = 0;
    programRandom().m_engine.seed(seed);
}

void Random::releaseSeed()
{
    g_fixed = false;
}

Random &programRandom()
{
    static Random random;
    return random;
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

#pragma once

#include <QtGlobal>
#include <random>

// A uniform generator on [0, 1), reseeded from the clock wherever the drill asks for it.
// A generator made with a fixed seed is repeatable: each reseeding then takes the seed
// plus the number of earlier reseedings, so every question still gets its own sequence.
class Random
{
public:
    Random() = default;
    explicit Random(quint64 fixedSeed);

    void seedFromClock();
    double next(); // uniform in [0, 1)

private:
    std::mt19937_64 m_engine{0};
    bool m_fixed = false;
    quint64 m_fixedSeed = 0;
    quint64 m_seedings = 0;
};

// A uniform integer from 1 to m (m >= 1), as Int(m * x) + 1 for a fresh x in [0, 1).
int drawInt(Random &random, int m);
// The same for a given x; never gives m + 1, even for x just below 1.
int drawIntFrom(double x, int m);

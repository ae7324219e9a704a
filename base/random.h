#pragma once

#include <QtGlobal>
#include <random>

// The program's uniform generator on [0, 1). It is seeded from the clock at the points
// the drill asks for; a test can fix the seed so that every run is repeatable.
class Random
{
public:
    void seedFromClock();
    double next(); // uniform in [0, 1)

    // With a fixed seed, seedFromClock() reseeds from seed + number of earlier seedings,
    // so each question still gets its own, repeatable, sequence.
    static void fixSeedForTesting(quint64 seed);
    static void releaseSeed();

private:
    std::mt19937_64 m_engine{0};
};

// The generator the windows share.
Random &programRandom();

// A uniform integer from 1 to m (m >= 1), as Int(m * x) + 1 for a fresh x in [0, 1).
int drawInt(Random &random, int m);
// The same for a given x; never gives m + 1, even for x just below 1.
int drawIntFrom(double x, int m);

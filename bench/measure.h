#pragma once

// What the in-process benchmarks share: a figure measured over several runs and its line
// beside a floor.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace Bench
{

struct Figure {
    double first = 0;
    double median = 0;
};

// Milliseconds of each of runs runs; a run that went wrong returns a negative time.
inline Figure measure(int runs, const std::function<double()> &once)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(once());
    }
    Figure figure{times.front(), 0};
    std::sort(times.begin(), times.end());
    figure.median = times[times.size() / 2];
    return figure;
}

inline void print(const char *what, const Figure &figure, const char *floorWhat,
                  const Figure &floor)
{
    std::printf("%-44s first %7.2f ms  median %7.2f ms   | floor (%s): first %6.2f  median "
                "%6.2f ms  ratio %.2f\n",
                what, figure.first, figure.median, floorWhat, floor.first, floor.median,
                floor.median > 0 ? figure.median / floor.median : 0.0);
}

} // namespace Bench

#pragma once

// The plain model of the run's order that the fast shuffle must match: take the drawn
// entry out of a list that shrinks by one each time. Shared by the tests and the fuzzer.

#include "base/random.h"

#include <QVector>

#include <numeric>
#include <vector>

inline QVector<int> modelShuffle(Random &model, int count)
{
    std::vector<int> pool(count);
    std::iota(pool.begin(), pool.end(), 1);
    QVector<int> order;
    for (int m = count; m >= 1; --m) {
        const int r = drawInt(model, m);
        order.append(pool[r - 1]);
        pool.erase(pool.begin() + (r - 1));
    }
    return order;
}

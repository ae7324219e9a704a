#pragma once

// What the question builder's tests and fuzzer share: a group as the builder takes it, and a
// run that asks the group in its own order.

#include "base/random.h"
#include "drillcore/questions.h"

#include <QStringList>
#include <QVector>

#include <numeric>

// Rows of word and renderings line, row 0 unused, cut into pieces as a loaded group is.
inline QVector<Questions::Entry> entries(const QVector<QStringList> &rows)
{
    QVector<Questions::Entry> list;
    for (const QStringList &row : rows) {
        list.append(row.isEmpty() ? Questions::Entry() : Questions::makeEntry(row[0], row[1]));
    }
    return list;
}

// Question `question` of a run that asks the words 1, 2, 3, ... in that order.
inline Questions::Question buildInGroupOrder(Random &random,
                                             const QVector<Questions::Entry> &words, int question,
                                             int lastRow)
{
    QVector<int> order(words.size() - 1);
    std::iota(order.begin(), order.end(), 1);
    return Questions::buildQuestion(random, words, order, question, lastRow);
}

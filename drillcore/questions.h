#pragma once

#include "drillcore/drillrules.h"

#include <QList>
#include <QStringList>
#include <QVector>

class Random;

namespace Questions
{

// Drops leading and trailing spaces (spaces only: tabs stay).
QString trimSpaces(const QString &text);

// Every ";" ends a rendering; each is trimmed of spaces. s semicolons give s + 1
// renderings, empty ones included.
QStringList splitRenderings(const QString &renderings);

// A run's order: position t takes the pool entry at Int(m x) + 1, m shrinking by one
// each time, so that every order is equally likely. Returns 1-based entry numbers.
// Takes O(n log n) time.
QVector<int> shuffledOrder(Random &random, int count);

// A word of a group with its renderings, cut apart the first time a question
// needs them and kept: a run on thousands of words shows few of them, and a group loads in
// the time it takes to read it.
class Entry
{
public:
    Entry() = default;
    Entry(const QString &word, const QString &renderingsText)
        : word(word), renderingsText(renderingsText)
    {
    }

    QString word;
    QString renderingsText; // as read: a single rendering is shown whole, spaces and all

    const QStringList &renderings() const; // trimmed
    // How many renderings there are, without cutting the text.
    int renderingCount() const { return DrillRules::renderingCount(renderingsText); }

private:
    mutable QStringList m_renderings;
    mutable bool m_cut = false;
};
Entry makeEntry(const QString &word, const QString &renderingsText);

constexpr int kRows = 15; // rows 0 to 14
// Redraws a wrong row may take to find a candidate that is not one of the right answers.
constexpr int kWrongRedraws = 64;

struct Question {
    QString word;
    QStringList renderings;  // trimmed, in file order
    QVector<int> answerRows; // row of rendering j (1 to 14), parallel to renderings
    QString captions[kRows];  // each ending in one space
    QString tags[kRows];      // the word on answer rows, empty elsewhere
};

// Builds question number `question` (1-based) of a run whose order lists entry numbers of
// `words` (1-based, 0 unused): the entry at position p of the run is words[order[p - 1]], so
// the run needs no copy of its words. The run must hold at least 2 entries and the question
// at most lastRow renderings.
// A wrong row takes a rendering of another entry, drawn again while its text, trimmed of
// spaces, equals one of the question's renderings. When kWrongRedraws redraws find none
// other, the row is left blank: a caption of just the one trailing space, an empty tag.
// (A question with an empty rendering shows that same blank caption on its right row;
// only the tag tells them apart there.) Without such a clash the draws are those of a
// single try, so a fixed seed gives the same questions as ever.
Question buildQuestion(Random &random, const QVector<Entry> &words, const QVector<int> &order,
                       int question, int lastRow);

// The 1-based number of the first entry with more than `limit` renderings, or 0 when
// there is none.
int firstOverlongEntry(const QVector<Entry> &words, int limit);

} // namespace Questions

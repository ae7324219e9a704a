#include "drillcore/questions.h"

#include "base/random.h"

#include <vector>

namespace Questions
{

QString trimSpaces(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == QLatin1Char(' ')) {
        ++start;
    }
    while (end > start && text[end - 1] == QLatin1Char(' ')) {
        --end;
    }
    return text.mid(start, end - start);
}

QStringList splitRenderings(const QString &renderings)
{
    const QString &line = renderings;
    QStringList split;
    qsizetype start = 0;
    while (true) {
        qsizetype end = line.indexOf(QLatin1Char(';'), start);
        const bool last = end < 0;
        if (last) {
            end = line.size();
        }
        qsizetype from = start;
        qsizetype to = end;
        while (from < to && line[from] == QLatin1Char(' ')) {
            ++from;
        }
        while (to > from && line[to - 1] == QLatin1Char(' ')) {
            --to;
        }
        // A whole line without spaces to trim is shared, not copied.
        split.append(from == 0 && to == line.size() ? line : line.mid(from, to - from));
        if (last) {
            return split;
        }
        start = end + 1;
    }
}

const QStringList &Entry::renderings() const
{
    if (!m_cut) {
        m_renderings = splitRenderings(renderingsText);
        m_cut = true;
    }
    return m_renderings;
}

Entry makeEntry(const QString &word, const QString &renderingsText)
{
    return Entry(word, renderingsText);
}

QVector<int> shuffledOrder(Random &random, int count)
{
    if (count <= 0) {
        return {};
    }
    // A Fenwick tree counts the entries still in the pool, so the r-th remaining one is
    // found in O(log n) instead of removing it from a list in O(n); the order is the same.
    std::vector<int> tree(static_cast<size_t>(count) + 1, 0);
    for (int i = 1; i <= count; ++i) {
        tree[i] += 1;
        const int parent = i + (i & -i);
        if (parent <= count) {
            tree[parent] += tree[i];
        }
    }
    int top = 1; // the highest power of two not above count
    while (top <= count / 2) {
        top *= 2;
    }
    QVector<int> order(count);
    for (int m = count; m >= 1; --m) {
        int r = drawInt(random, m);
        // Descend to the last position whose prefix holds fewer than r remaining entries.
        int position = 0;
        for (int step = top; step > 0; step /= 2) {
            const int next = position + step;
            if (next <= count && tree[next] < r) {
                position = next;
                r -= tree[next];
            }
        }
        const int entry = position + 1;
        order[count - m] = entry;
        for (int i = entry; i <= count; i += i & -i) {
            --tree[i];
        }
    }
    return order;
}

namespace
{

// The run's entries by position, 1 to count: the loaded group seen through the run's order.
struct RunEntries {
    const QVector<Entry> &words;
    const QVector<int> &order;
    int count;
    const Entry &operator[](int position) const { return words[order.at(position - 1)]; }
};

// Draws an entry other than the question, then one of its renderings, until the text,
// trimmed of spaces, is none of the question's own; false after kWrongRedraws redraws.
bool drawWrongCandidate(Random &random, const RunEntries &questions, int question,
                        const QStringList &rights, QString *text)
{
    const int wordCount = questions.count;
    for (int attempt = 0; attempt <= kWrongRedraws; ++attempt) {
        int r = drawInt(random, wordCount);
        while (r == question) {
            r = drawInt(random, wordCount);
        }
        const Entry &entry = questions[r];
        const int count = entry.renderingCount();
        if (count == 1) {
            // A single rendering is shown as written, spaces and all.
            *text = entry.renderingsText;
        } else {
            *text = entry.renderings()[drawInt(random, count) - 1];
        }
        if (!rights.contains(trimSpaces(*text))) {
            return true;
        }
    }
    return false;
}

Question buildFrom(Random &random, const RunEntries &questions, int question, int lastRow)
{
    Question q;
    q.word = questions[question].word;
    q.renderings = questions[question].renderings();

    for (int j = 0; j < q.renderings.size(); ++j) {
        int r = drawInt(random, lastRow);
        while (q.answerRows.contains(r)) {
            r = drawInt(random, lastRow);
        }
        q.answerRows.append(r);
    }

    for (int g = 0; g <= lastRow && g < kRows; ++g) {
        const int j = static_cast<int>(q.answerRows.indexOf(g));
        if (j >= 0) {
            q.captions[g] = q.renderings[j] + QLatin1Char(' ');
            q.tags[g] = q.word;
            continue;
        }
        QString text;
        // A candidate that reads like a right answer would be judged wrong when clicked;
        // after the redraws a blank row is better than such a trap.
        if (!drawWrongCandidate(random, questions, question, q.renderings, &text)) {
            text.clear();
        }
        q.captions[g] = text + QLatin1Char(' ');
        q.tags[g].clear();
    }
    return q;
}

} // namespace

Question buildQuestion(Random &random, const QVector<Entry> &words, const QVector<int> &order,
                       int question, int lastRow)
{
    return buildFrom(random, {words, order, static_cast<int>(order.size())}, question, lastRow);
}

int firstOverlongEntry(const QVector<Entry> &words, int limit)
{
    for (int i = 1; i < words.size(); ++i) {
        if (words[i].renderingCount() > limit) {
            return i;
        }
    }
    return 0;
}

} // namespace Questions

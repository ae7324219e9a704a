#include "drill/questions.h"

#include "base/random.h"

namespace Questions {

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

QStringList splitTranslations(const QString &line)
{
    QStringList pieces;
    for (const QString &piece : line.split(QLatin1Char(';'))) {
        pieces.append(trimSpaces(piece));
    }
    return pieces;
}

int countPieces(const QString &line)
{
    return static_cast<int>(line.count(QLatin1Char(';'))) + 1;
}

QVector<int> shuffledOrder(Random &random, int count)
{
    QVector<int> pool(count);
    for (int i = 0; i < count; ++i) {
        pool[i] = i + 1;
    }
    QVector<int> order;
    order.reserve(count);
    for (int m = count; m >= 1; --m) {
        const int r = drawInt(random, m);
        order.append(pool[r - 1]);
        pool.remove(r - 1);
    }
    return order;
}

Question buildQuestion(Random &random, const QVector<QStringList> &questions, int question,
                       int lastRow)
{
    Question q;
    const int wordCount = static_cast<int>(questions.size()) - 1;
    q.word = questions[question][0];
    q.translations = splitTranslations(questions[question][1]);

    for (int j = 0; j < q.translations.size(); ++j) {
        int r = drawInt(random, lastRow);
        while (q.answerRows.contains(r)) {
            r = drawInt(random, lastRow);
        }
        q.answerRows.append(r);
    }

    for (int g = 0; g <= lastRow && g < kRows; ++g) {
        const int j = static_cast<int>(q.answerRows.indexOf(g));
        if (j >= 0) {
            q.captions[g] = q.translations[j] + QLatin1Char(' ');
            q.tags[g] = q.word;
            continue;
        }
        int r = drawInt(random, wordCount);
        while (r == question) {
            r = drawInt(random, wordCount);
        }
        const QString &line = questions[r][1];
        const int pieces = countPieces(line);
        if (pieces == 1) {
            // A single rendering is shown as written, spaces and all.
            q.captions[g] = line + QLatin1Char(' ');
        } else {
            const QStringList split = splitTranslations(line);
            q.captions[g] = split[drawInt(random, pieces) - 1] + QLatin1Char(' ');
        }
        q.tags[g].clear();
    }
    return q;
}

int firstOverlongEntry(const QVector<QStringList> &words, int limit)
{
    for (int i = 1; i < words.size(); ++i) {
        if (countPieces(words[i][1]) > limit) {
            return i;
        }
    }
    return 0;
}

} // namespace Questions

// The question builder and the shuffle on any group. The input is a seed (8 bytes), a byte
// choosing the question, a byte choosing the last row, then UTF-8 lines in pairs (word,
// renderings). Checked: right rows distinct and in range with the right captions and tags,
// wrong rows with an empty tag and a rendering of another entry that never reads like a
// right one, blank only when such renderings are too rare to be found, and the shuffle the
// same as taking the drawn entry out of a shrinking list.
#include "base/random.h"
#include "drillcore/questions.h"
#include "fuzz/check.h"
#include "tests/questionsmodel.h"
#include "tests/shufflemodel.h"

#include <QSet>
#include <QtEndian>

#include <vector>

namespace
{

using Table = QVector<QStringList>;

// Every text a wrong row may show from entry r: the whole line when it has one rendering.
QStringList candidatesOf(const QString &line)
{
    const QStringList split = Questions::splitRenderings(line);
    return split.size() == 1 ? QStringList{line} : split;
}

// The chance that one draw finds a candidate that is not a right answer.
double chanceOfFit(const Table &words, int question, const QStringList &rights)
{
    double sum = 0;
    for (int r = 1; r < words.size(); ++r) {
        if (r == question) {
            continue;
        }
        const QStringList texts = candidatesOf(words[r][1]);
        int fit = 0;
        for (const QString &text : texts) {
            fit += rights.contains(Questions::trimSpaces(text)) ? 0 : 1;
        }
        sum += double(fit) / texts.size();
    }
    return sum / (words.size() - 2);
}

void checkQuestion(const Table &words, int question, int lastRow, quint64 seed)
{
    Random random(seed);
    const Questions::Question q = buildInGroupOrder(random, entries(words), question, lastRow);
    const QStringList rights = Questions::splitRenderings(words[question][1]);
    FUZZ_CHECK(q.word == words[question][0] && q.renderings == rights, q.word);
    FUZZ_CHECK(q.answerRows.size() == rights.size(), QString::number(q.answerRows.size()));
    QSet<int> rows;
    for (int j = 0; j < rights.size(); ++j) {
        const int row = q.answerRows[j];
        FUZZ_CHECK(row >= 1 && row <= lastRow && !rows.contains(row), QString::number(row));
        rows.insert(row);
        FUZZ_CHECK(q.captions[row] == rights[j] + QLatin1Char(' ') && q.tags[row] == q.word,
                   q.captions[row]);
    }
    QSet<QString> others;
    for (int r = 1; r < words.size(); ++r) {
        if (r != question) {
            const QStringList texts = candidatesOf(words[r][1]);
            others.unite(QSet<QString>(texts.begin(), texts.end()));
        }
    }
    const bool rare = chanceOfFit(words, question, rights) < 0.5;
    for (int g = 0; g < Questions::kRows; ++g) {
        if (g > lastRow) {
            FUZZ_CHECK(q.captions[g].isEmpty() && q.tags[g].isEmpty(), QString::number(g));
            continue;
        }
        if (rows.contains(g)) {
            continue;
        }
        FUZZ_CHECK(q.tags[g].isEmpty() && q.captions[g].endsWith(QLatin1Char(' ')), q.tags[g]);
        const QString text = q.captions[g].chopped(1);
        const bool fits = others.contains(text) && !rights.contains(Questions::trimSpaces(text));
        // A blank row is a candidate of empty text or, after the redraws, none at all.
        FUZZ_CHECK(fits || (text.isEmpty() && rare), q.captions[g]);
    }
    Random again(seed);
    const Questions::Question repeat = buildInGroupOrder(again, entries(words), question, lastRow);
    FUZZ_CHECK(repeat.answerRows == q.answerRows, "a seed repeats its question");
}

void checkShuffle(int count, quint64 seed)
{
    Random model(seed);
    const QVector<int> expected = modelShuffle(model, count);
    Random random(seed);
    FUZZ_CHECK(Questions::shuffledOrder(random, count) == expected, QString::number(count));
}

// A run reads its questions through its order: the same as the group copied into it.
void checkRunOrder(const Table &words, int question, int lastRow, quint64 seed)
{
    const QVector<Questions::Entry> all = entries(words);
    Random shuffle(seed);
    const QVector<int> order = Questions::shuffledOrder(shuffle, static_cast<int>(all.size()) - 1);
    QVector<Questions::Entry> copied{Questions::Entry()};
    for (int entry : order) {
        copied.append(all[entry]);
    }
    Random one(seed);
    Random two(seed);
    const Questions::Question viaOrder =
        Questions::buildQuestion(one, all, order, question, lastRow);
    const Questions::Question viaCopy = buildInGroupOrder(two, copied, question, lastRow);
    FUZZ_CHECK(viaOrder.word == viaCopy.word && viaOrder.answerRows == viaCopy.answerRows,
               viaOrder.word);
    for (int g = 0; g < Questions::kRows; ++g) {
        FUZZ_CHECK(viaOrder.captions[g] == viaCopy.captions[g] &&
                       viaOrder.tags[g] == viaCopy.tags[g],
                   QString::number(g));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 10) {
        return 0;
    }
    const quint64 seed = qFromLittleEndian<quint64>(data);
    const int lastRow = 14 - data[9] % 14; // 1 to 14, mostly the drill's 14
    const QStringList lines =
        QString::fromUtf8(inputBytes(data + 10, size - 10)).split(QLatin1Char('\n'));
    Table words{QStringList()};
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        // A line of more renderings than rows cannot be asked; keep the first lastRow.
        QStringList split = lines[i + 1].split(QLatin1Char(';'));
        split = split.mid(0, lastRow);
        words.append(QStringList{lines[i], split.join(QLatin1Char(';'))});
    }
    const int count = static_cast<int>(words.size()) - 1;
    checkShuffle(count, seed);
    if (count < 2) {
        return 0;
    }
    checkQuestion(words, data[8] % count + 1, lastRow, seed);
    checkRunOrder(words, data[8] % count + 1, lastRow, seed);
    return 0;
}

#include "drillcore/drillrun.h"

#include "base/numtext.h"
#include "base/random.h"

namespace
{

QString feedbackText(const char *english, const QString &chinese)
{
    return QLatin1String(english) + QLatin1String("\r\n") + chinese;
}

} // namespace

DrillRun::DrillRun(Random &random)
    : m_random(random), m_words(1), m_refusal(DrillRules::refuseGroup({}))
{
}

QVector<Questions::Entry> DrillRun::setWords(const QList<WordFile::Entry> &words)
{
    m_order.clear();
    QVector<Questions::Entry> loaded;
    loaded.reserve(words.size() + 1);
    loaded.append(Questions::Entry()); // entries count from 1
    for (const WordFile::Entry &entry : words) {
        loaded.append(Questions::Entry(entry.word, entry.renderings));
    }
    m_words.swap(loaded);
    m_refusal = DrillRules::refuseGroup(words);
    return loaded;
}

WordFile::Entry DrillRun::word(int number) const
{
    return WordFile::Entry{m_words[number].word, m_words[number].renderingsText};
}

QString DrillRun::refusal(int group) const
{
    if (group == 0) {
        return QStringLiteral("No group is loaded, so no run can start. Choose a group whose "
                              "file can be read.");
    }
    switch (m_refusal.reason) {
    case DrillRules::Refusal::None:
        break;
    case DrillRules::Refusal::TooFewWords:
        return QStringLiteral("Group %1 cannot be started: a run needs at least %3 words, and "
                              "ci%1 holds %2.")
            .arg(group)
            .arg(m_refusal.words)
            .arg(DrillRules::kLeastWords);
    case DrillRules::Refusal::TooManyRenderings:
        // One pass of arg(): a word holding "%3" must not take the next number.
        return QStringLiteral("Group %1 cannot be started: the word '%2' (line %3 of ci%1) has "
                              "%4 translations; a word may have at most %5.")
            .arg(QString::number(group), m_words[m_refusal.entry].word,
                 QString::number(2 * m_refusal.entry - 1), QString::number(m_refusal.renderings),
                 QString::number(DrillRules::kMostRenderings));
    }
    return QString();
}

bool DrillRun::start(int group)
{
    // Each question draws wrong candidates from other entries and puts every rendering
    // on a row of its own, so a refused group would run off its rows.
    if (!refusal(group).isEmpty()) {
        return false;
    }
    m_random.seedFromClock();
    m_inProgress = true;
    m_question = 0;
    m_order = Questions::shuffledOrder(m_random, wordCount());
    openNextQuestion();
    return true;
}

QString DrillRun::questionWord() const
{
    // The order belongs to the group it was drawn for; a newly loaded group has none yet.
    return m_question > 0 && m_question <= m_order.size() ? m_words[m_order[m_question - 1]].word
                                                          : QString();
}

void DrillRun::openNextQuestion()
{
    m_random.seedFromClock();
    m_feedback.clear();
    m_pause = Pause::None;

    ++m_question;
    const Questions::Question q =
        Questions::buildQuestion(m_random, m_words, m_order, m_question, kLastRow);
    m_answerRows = q.answerRows;
    m_toFind = answerCount();
    m_found = 0;
    for (int g = 0; g <= kLastRow; ++g) {
        m_rows[g].caption = q.captions[g];
        m_rows[g].tag = q.tags[g];
        m_rows[g].shown = true;
    }
    m_rowNumbersShown = true;

    m_elapsed = 0;
    m_clockShown = true;
    m_coverShown = true;
    m_shownNumber = m_wrong + m_correct + 1;
    m_answering = true;
}

bool DrillRun::isAnswerRow(int row) const
{
    return m_answerRows.contains(row);
}

DrillRun::Judgement DrillRun::judgeRow(int row)
{
    if (!m_answering || row < 0 || row > kLastRow) {
        return Judgement::Ignored;
    }
    Row &clicked = m_rows[row];
    // An empty word line would make every distractor's empty tag match; only the rows
    // the builder placed renderings on count as right.
    if (clicked.tag == questionWord() && isAnswerRow(row)) {
        if (clicked.found) {
            return Judgement::AlreadyFound;
        }
        Judgement judgement = Judgement::Found;
        if (m_toFind <= 1) {
            ++m_correct;
            m_feedback = feedbackText("Good job!", QStringLiteral("正确！"));
            endQuestion();
            judgement = Judgement::LastFound;
        } else {
            --m_toFind;
            clicked.found = true;
        }
        ++m_found;
        return judgement;
    }
    ++m_wrong;
    m_feedback = feedbackText("Be careful!", QStringLiteral("仔细点！"));
    endQuestion();
    return Judgement::Wrong;
}

bool DrillRun::tickClock()
{
    if (!m_answering) {
        return false;
    }
    // The test comes before the count, so a question of N seconds times out on tick N + 1.
    if (m_elapsed >= questionSeconds()) {
        ++m_wrong;
        if (m_toFind == answerCount()) {
            m_feedback = feedbackText("Carry on!", QStringLiteral("继续努力！"));
        } else {
            m_feedback = feedbackText("Hurry up!", QStringLiteral("动作快点！"));
        }
        endQuestion();
        return true;
    }
    ++m_elapsed;
    return false;
}

void DrillRun::endQuestion()
{
    m_answering = false;
    // The reveal: the question's renderings in the rest colour, found or not; every
    // other row goes.
    for (int i = 0; i <= kLastRow; ++i) {
        m_rows[i].found = false;
        m_rows[i].shown = isAnswerRow(i);
    }
    const double rate = m_correct * 100.0 / (m_correct + m_wrong);
    m_rate = static_cast<qint32>(NumText::roundHalfEven(rate));

    m_pause = (m_correct + m_wrong == wordCount()) ? Pause::BeforeStop : Pause::BeforeNextQuestion;
    m_pauseMs = 2000 * answerCount();
}

void DrillRun::stop()
{
    m_answering = false;
    m_inProgress = false;
    m_pause = Pause::None;
    for (Row &row : m_rows) {
        row.shown = false;
        row.found = false;
    }
    m_rowNumbersShown = false;
    m_correct = 0;
    m_wrong = 0;
    m_rate = 0;
    m_shownNumber = 0;
    m_feedback.clear();
    m_coverShown = false;
    m_found = 0;
    m_clockShown = false;
    m_elapsed = 0;
}

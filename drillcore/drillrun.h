#pragma once

#include "base/speedlevel.h"
#include "drillcore/drillrules.h"
#include "drillcore/questions.h"
#include "drillcore/wordfile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

class Random;

// The rules of a run, on Qt Core only: the run's order, each question from the question
// builder, judging a row, the clock and its time-out, the end of a question and its
// pause, the correctness rate, stopping, and the result a run saves. It knows no widget:
// the drill window forwards clicks and ticks here and shows what this class reports. Time
// is counted in seconds (clock ticks); how long a bar is on screen is the window's business.
class DrillRun
{
public:
    static constexpr int kLastRow = Questions::kRows - 1; // rows 0 to 14
    static_assert(kLastRow == DrillRules::kMostRenderings, "a row for each rendering");

    struct Row {
        QString caption;
        QString tag; // the question word on a row of its renderings, else empty
        bool shown = false;
        bool found = false; // painted as found until the question ends
    };

    enum class Judgement { Ignored, AlreadyFound, Found, LastFound, Wrong };
    enum class Pause { None, BeforeNextQuestion, BeforeStop };

    // What a run leaves for the record: the numbers the score line shows.
    struct Result {
        qint32 correct = 0;
        qint32 wrong = 0;
        qint32 rate = 0;
    };

    explicit DrillRun(Random &random);

    // The loaded group, in file order. Returns the group it replaces, for a caller that
    // would rather free thousands of strings later than now.
    QVector<Questions::Entry> setWords(const QList<WordFile::Entry> &words);
    int wordCount() const { return static_cast<int>(m_words.size()) - 1; }
    WordFile::Entry word(int number) const; // 1-based

    // Why a run on the loaded group cannot start (empty when it can), in the words of the
    // drill's warning; the reason is DrillRules::refuseGroup's, which wordmoor-groups' check
    // asks too. `group` is the number the learner knows it by, 0 when none is loaded.
    QString refusal(int group) const;

    // Shuffles the group into the run's order and opens the first question; false (and
    // nothing changed) when refusal(group) has a reason.
    bool start(int group);
    void openNextQuestion();
    Judgement judgeRow(int row);
    // One second of the open question: the bar grows, or the time is up and the question
    // ends. Returns true on the time-out.
    bool tickClock();
    // Seconds per question follow the level; an open question's elapsed seconds stay.
    void setSpeed(SpeedLevel level) { m_speed = level; }
    SpeedLevel speed() const { return m_speed; }
    // Ends the run: counts, feedback and bars back to their rest.
    void stop();

    // From Start until Stop.
    bool inProgress() const { return m_inProgress; }
    // A run in progress that has passed its first question is worth saving.
    bool hasResultToSave() const { return m_inProgress && m_question > 1; }
    Result result() const { return {m_correct, m_wrong, m_rate}; }

    // What the window shows.
    const Row &row(int index) const { return m_rows[index]; }
    bool rowNumbersShown() const { return m_rowNumbersShown; }
    bool isAnswering() const { return m_answering; }
    int questionNumber() const { return m_question; } // of the run, 0 before the first
    QString questionWord() const;
    const QString &feedback() const { return m_feedback; }
    int correct() const { return m_correct; }
    int wrong() const { return m_wrong; }
    int rate() const { return m_rate; }
    int shownQuestionNumber() const { return m_shownNumber; }
    // The question's clock: seconds gone of the seconds it lasts. Between runs there is
    // none, and the time bar shows full.
    bool clockShown() const { return m_clockShown; }
    int elapsedSeconds() const { return m_elapsed; }
    int questionSeconds() const { return Speed::seconds(m_speed); }
    // Right rows clicked in this question, the last one included; the progress cover
    // shrinks by one step for each.
    int foundCount() const { return m_found; }
    bool coverShown() const { return m_coverShown; }
    Pause pause() const { return m_pause; }
    int pauseMs() const { return m_pauseMs; }
    int answerCount() const { return static_cast<int>(m_answerRows.size()); }
    int toFind() const { return m_toFind; }
    // Rows of the open (or last) question's renderings, in the order of its line.
    const QVector<int> &answerRows() const { return m_answerRows; }
    // The run's order: entry numbers of the loaded group, question 1 first.
    const QVector<int> &order() const { return m_order; }

private:
    void endQuestion();
    bool isAnswerRow(int row) const;

    Random &m_random;
    QVector<Questions::Entry> m_words; // 1..n in file order; 0 unused
    DrillRules::Refusal m_refusal;     // of m_words
    QVector<int> m_order;
    QVector<int> m_answerRows;
    std::array<Row, Questions::kRows> m_rows;
    QString m_feedback;
    int m_question = 0;
    int m_toFind = 0;
    int m_found = 0;
    qint32 m_correct = 0;
    qint32 m_wrong = 0;
    qint32 m_rate = 0;
    int m_shownNumber = 0;
    bool m_answering = false;
    bool m_inProgress = false;
    bool m_rowNumbersShown = false;
    SpeedLevel m_speed = SpeedLevel::Normal;
    int m_elapsed = 0;
    bool m_clockShown = false;
    bool m_coverShown = false;
    Pause m_pause = Pause::None;
    int m_pauseMs = 0;
};

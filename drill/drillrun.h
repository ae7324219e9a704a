#pragma once

#include "drill/questions.h"
#include "drill/wordfile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

class Random;

// The rules of a run, on Qt Core only: the run's order, each question from the question
// builder, judging a row, the clock and its time-out, the end of a question and its
// pause, the correctness rate, stopping, and the result a run saves. It knows no widget:
// the drill window forwards clicks and ticks here and shows what this class reports.
// Lengths are in twips, as the window lays them out.
class DrillRun
{
public:
    static constexpr int kLastRow = Questions::kRows - 1; // rows 0 to 14
    static constexpr double kFullTimeBar = 4635.0;
    static constexpr double kEmptyBar = 13.0;
    static constexpr double kFullCover = 6330.0;

    struct Row {
        QString caption;
        QString tag; // the question word on a row of its translations, else empty
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

    // The loaded group, in file order.
    void setWords(const QList<WordFile::Entry> &words);
    int wordCount() const { return static_cast<int>(m_words.size()) - 1; }
    WordFile::Entry word(int number) const; // 1-based

    // Why a run on the loaded group cannot start (empty when it can). `group` is the
    // number the learner knows it by, 0 when none is loaded.
    QString refusal(int group) const;

    // Shuffles the group into the run's order and opens the first question; false (and
    // nothing changed) for a group that cannot run.
    bool start();
    void openNextQuestion();
    Judgement judgeRow(int row);
    // One second of the open question: the bar grows, or the time is up and the question
    // ends. Returns true on the time-out.
    bool tickClock();
    // Seconds per question follow the speed option: 0 Slow, 1 Normal, 2 Fast.
    void setSpeedOption(int index);
    // Ends the run: counts, feedback and bars back to their rest.
    void stop();

    // A run that has passed its first question is worth saving.
    bool passedFirstQuestion() const { return m_question > 1; }
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
    float timeBarWidth() const { return m_elapsed; }
    float timeStep() const { return m_timeStep; }
    double coverHeight() const { return m_coverHeight; }
    bool coverShown() const { return m_coverShown; }
    float coverStep() const { return m_coverStep; }
    Pause pause() const { return m_pause; }
    int pauseMs() const { return m_pauseMs; }
    int answerCount() const { return static_cast<int>(m_answerRows.size()); }
    int toFind() const { return m_toFind; }
    // Rows of the open (or last) question's translations, in the order of its line.
    const QVector<int> &answerRows() const { return m_answerRows; }
    // The run's order: entry numbers of the loaded group, question 1 first.
    const QVector<int> &order() const { return m_order; }

private:
    void endQuestion();
    bool isAnswerRow(int row) const;

    Random &m_random;
    QVector<Questions::Entry> m_words; // 1..n in file order; 0 unused
    QVector<int> m_order;
    QVector<int> m_answerRows;
    std::array<Row, Questions::kRows> m_rows;
    QString m_feedback;
    int m_question = 0;
    int m_toFind = 0;
    qint32 m_correct = 0;
    qint32 m_wrong = 0;
    qint32 m_rate = 0;
    int m_shownNumber = 0;
    bool m_answering = false;
    bool m_rowNumbersShown = false;
    // Kept as floats of their own so that steps of 154.5 and 231.75 add up exactly and
    // the time-out falls on the same tick whatever the pixel rounding.
    float m_elapsed = static_cast<float>(kFullTimeBar);
    float m_timeStep = 231.75f;
    float m_coverStep = 0.0f;
    double m_coverHeight = kEmptyBar;
    bool m_coverShown = false;
    Pause m_pause = Pause::None;
    int m_pauseMs = 0;
};

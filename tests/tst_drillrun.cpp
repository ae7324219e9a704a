// The rules of a run on their own, with a fixed random source: the run's order, judging,
// the clock, the end of a question and its pause, the rate, and stopping.
#include "base/random.h"
#include "drillcore/drillrun.h"

#include <QSet>
#include <QtTest>

namespace
{

// Entries from word, renderings, word, renderings, ...
QList<WordFile::Entry> entries(const QStringList &flat)
{
    QList<WordFile::Entry> list;
    for (int i = 0; i + 1 < flat.size(); i += 2) {
        list.append({flat[i], flat[i + 1]});
    }
    return list;
}

// n words of one rendering each.
QList<WordFile::Entry> simpleGroup(int n)
{
    QStringList flat;
    for (int w = 1; w <= n; ++w) {
        flat << QStringLiteral("词%1").arg(w) << QStringLiteral("meaning %1").arg(w);
    }
    return entries(flat);
}

int firstWrongRow(const DrillRun &run)
{
    int row = 0;
    while (run.answerRows().contains(row)) {
        ++row;
    }
    return row;
}

void findAll(DrillRun &run)
{
    const QVector<int> rows = run.answerRows();
    for (int row : rows) {
        run.judgeRow(row);
    }
}

// Plays the open question and the ones after it: R finds every rendering, W clicks a
// wrong row, T lets the time run out. Each move but the first waits out the pause before.
void play(DrillRun &run, const QString &moves)
{
    for (int i = 0; i < moves.size(); ++i) {
        if (i > 0) {
            QCOMPARE(run.pause(), DrillRun::Pause::BeforeNextQuestion);
            run.openNextQuestion();
        }
        if (moves[i] == QLatin1Char('R')) {
            findAll(run);
        } else if (moves[i] == QLatin1Char('W')) {
            run.judgeRow(firstWrongRow(run));
        } else {
            while (run.isAnswering()) {
                run.tickClock();
            }
        }
    }
}

} // namespace

class TestDrillRun : public QObject
{
    Q_OBJECT

    Random m_random{42};

private slots:
    void init() { m_random = Random(42); }

    // Guards against a word asked twice or never, the counter or bars not set for the
    // first question, and a start on a group that cannot run.
    void startAsksEveryWordOnce()
    {
        DrillRun run(m_random);
        run.setWords(simpleGroup(6));
        QVERIFY(run.start(1));
        QVector<int> order = run.order();
        std::sort(order.begin(), order.end());
        QCOMPARE(order, (QVector<int>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(run.questionNumber(), 1);
        QCOMPARE(run.shownQuestionNumber(), 1);
        QCOMPARE(run.questionWord(), run.word(run.order()[0]).word);
        QVERIFY(run.isAnswering());
        QVERIFY(run.clockShown());
        QCOMPARE(run.elapsedSeconds(), 0);
        QVERIFY(run.coverShown());
        QCOMPARE(run.foundCount(), 0);
        for (int r = 0; r <= DrillRun::kLastRow; ++r) {
            QVERIFY(run.row(r).shown);
        }

        DrillRun single(m_random);
        single.setWords(simpleGroup(1));
        QVERIFY(!single.start(1));
        QCOMPARE(single.questionNumber(), 0);
    }

    // Guards the messages of a group that cannot run and the line they name.
    void refusals_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<QStringList>("flat");
        QTest::addColumn<QString>("mentions"); // empty: the run may start
        QStringList fifteen;
        for (int i = 1; i <= 15; ++i) {
            fifteen << QStringLiteral("t%1").arg(i);
        }
        QTest::newRow("no_group_loaded") << 0 << QStringList() << "No group";
        QTest::newRow("one_entry") << 3 << QStringList{"甲", "alpha"} << "ci3 holds 1";
        QTest::newRow("fifteen_renderings")
            << 2 << QStringList{"甲", "alpha", "乙", fifteen.join(';')} << "'乙' (line 3 of ci2";
        QTest::newRow("word_that_looks_like_a_placeholder")
            << 2 << QStringList{"甲", "alpha", "乙%3", fifteen.join(';')}
            << "'乙%3' (line 3 of ci2) has 15 translations";
        QTest::newRow("fourteen_is_fine")
            << 2 << QStringList{"甲", "alpha", "乙", fifteen.mid(1).join(';')} << "";
    }

    void refusals()
    {
        QFETCH(int, group);
        QFETCH(QStringList, flat);
        QFETCH(QString, mentions);
        DrillRun run(m_random);
        run.setWords(entries(flat));
        const QString refusal = run.refusal(group);
        QVERIFY2(mentions.isEmpty() ? refusal.isEmpty() : refusal.contains(mentions),
                 qPrintable(refusal));
        // Start refuses exactly what the message names.
        QCOMPARE(run.start(group), refusal.isEmpty());
        QCOMPARE(run.inProgress(), refusal.isEmpty());
    }

    // Guards the found mark, the count that only a last find raises, the cover shrinking
    // by its step, and a found row that counts twice.
    void judgesFinds()
    {
        DrillRun run(m_random);
        run.setWords(entries({"甲", "one;two;three", "乙", "beta"}));
        run.start(1);
        while (run.questionWord() != QStringLiteral("甲")) {
            run.judgeRow(firstWrongRow(run));
            run.openNextQuestion();
        }
        const QVector<int> rows = run.answerRows();
        QCOMPARE(rows.size(), 3);
        const int correctBefore = run.correct();
        QCOMPARE(run.judgeRow(rows[0]), DrillRun::Judgement::Found);
        QCOMPARE(run.judgeRow(rows[0]), DrillRun::Judgement::AlreadyFound);
        QCOMPARE(run.judgeRow(rows[1]), DrillRun::Judgement::Found);
        QVERIFY(run.row(rows[0]).found && run.row(rows[1]).found);
        QCOMPARE(run.toFind(), 1);
        QCOMPARE(run.correct(), correctBefore);
        QVERIFY(run.feedback().isEmpty());
        QCOMPARE(run.foundCount(), 2);
        QCOMPARE(run.judgeRow(rows[2]), DrillRun::Judgement::LastFound);
        QCOMPARE(run.correct(), correctBefore + 1);
        QCOMPARE(run.feedback(), QStringLiteral("Good job!\r\n正确！"));
        QVERIFY(!run.isAnswering());
        // The reveal: the three renderings in the rest colour, every other row gone.
        for (int r = 0; r <= DrillRun::kLastRow; ++r) {
            QCOMPARE(run.row(r).shown, rows.contains(r));
            QVERIFY(!run.row(r).found);
        }
        QCOMPARE(run.pauseMs(), 6000);
        QCOMPARE(run.foundCount(), 3);
    }

    // Guards against a wrong click that does not end the question, keeps found marks, or
    // leaves the clicked row showing; and the cover of a one-rendering word.
    void wrongClickAfterAFindRevealsAll()
    {
        DrillRun run(m_random);
        run.setWords(entries({"甲", "one;two", "乙", "beta"}));
        run.start(1);
        if (run.questionWord() != QStringLiteral("甲")) {
            run.judgeRow(run.answerRows()[0]);
            QCOMPARE(run.foundCount(), 1);
            run.openNextQuestion();
        }
        const int found = run.answerRows()[0];
        const int wrong = firstWrongRow(run);
        run.judgeRow(found);
        const int wrongBefore = run.wrong();
        QCOMPARE(run.judgeRow(wrong), DrillRun::Judgement::Wrong);
        QCOMPARE(run.wrong(), wrongBefore + 1);
        QCOMPARE(run.feedback(), QStringLiteral("Be careful!\r\n仔细点！"));
        QVERIFY(!run.row(wrong).shown);
        QVERIFY(run.row(found).shown && !run.row(found).found);
        QVERIFY(run.rowNumbersShown());
    }

    // Guards against judging by the caption instead of the rows the builder tagged: a
    // distractor that reads like a rendering, and a blank word line whose empty text
    // equals every distractor's empty tag.
    void judgesByTagNotText_data()
    {
        QTest::addColumn<QStringList>("flat");
        QTest::addColumn<QString>("word");
        QTest::newRow("same_text_distractor") << QStringList{"甲", "same", "乙", "same"} << "甲";
        QTest::newRow("blank_word_line") << QStringList{"", "blank", "乙", "beta"} << "";
    }

    void judgesByTagNotText()
    {
        QFETCH(QStringList, flat);
        QFETCH(QString, word);
        DrillRun run(m_random);
        run.setWords(entries(flat));
        run.start(1);
        if (run.questionWord() != word) {
            run.judgeRow(firstWrongRow(run));
            run.openNextQuestion();
        }
        QCOMPARE(run.judgeRow(firstWrongRow(run)), DrillRun::Judgement::Wrong);
    }

    // Guards against clicks or ticks counting while no question is open.
    void nothingCountsWhileClosed()
    {
        DrillRun run(m_random);
        run.setWords(simpleGroup(3));
        QCOMPARE(run.judgeRow(3), DrillRun::Judgement::Ignored);
        run.start(1);
        run.judgeRow(firstWrongRow(run));
        const QVector<int> rows = run.answerRows();
        for (int row = 0; row <= DrillRun::kLastRow; ++row) {
            QCOMPARE(run.judgeRow(row), DrillRun::Judgement::Ignored);
        }
        QVERIFY(!run.tickClock());
        QCOMPARE(run.wrong(), 1);
        QCOMPARE(run.correct(), 0);
        QCOMPARE(run.judgeRow(-1), DrillRun::Judgement::Ignored);
    }

    // Guards the tick the time runs out on at each speed: the test comes before growth.
    void timesOutOnTick_data()
    {
        QTest::addColumn<SpeedLevel>("speed");
        QTest::addColumn<int>("tick");
        QTest::newRow("slow") << SpeedLevel::Slow << 31;
        QTest::newRow("normal") << SpeedLevel::Normal << 21;
        QTest::newRow("fast") << SpeedLevel::Fast << 11;
    }

    void timesOutOnTick()
    {
        QFETCH(SpeedLevel, speed);
        QFETCH(int, tick);
        DrillRun run(m_random);
        run.setWords(simpleGroup(3));
        run.setSpeed(speed);
        run.start(1);
        for (int t = 1; t < tick; ++t) {
            QVERIFY2(!run.tickClock(), qPrintable(QStringLiteral("closed on tick %1").arg(t)));
        }
        QCOMPARE(run.elapsedSeconds(), tick - 1);
        QCOMPARE(run.elapsedSeconds(), run.questionSeconds());
        QVERIFY(run.tickClock());
        QVERIFY(!run.isAnswering());
        QCOMPARE(run.wrong(), 1);
        QCOMPARE(run.feedback(), QStringLiteral("Carry on!\r\n继续努力！"));
    }

    // Guards "Hurry up!" for a partly found word, and the count it raises.
    void timeOutAfterAFindHurries()
    {
        DrillRun run(m_random);
        run.setWords(entries({"甲", "a;b;c", "乙", "d;e;f"}));
        run.start(1);
        run.judgeRow(run.answerRows()[1]);
        while (!run.tickClock()) {
        }
        QCOMPARE(run.feedback(), QStringLiteral("Hurry up!\r\n动作快点！"));
        QCOMPARE(run.wrong(), 1);
        QCOMPARE(run.correct(), 0);
    }

    // Guards against a speed change that resets the clock or waits for the next question.
    void speedChangeTakesTheNextTick()
    {
        DrillRun run(m_random);
        run.setWords(simpleGroup(3));
        run.start(1);
        run.tickClock();
        run.setSpeed(SpeedLevel::Fast);
        QCOMPARE(run.elapsedSeconds(), 1);
        QCOMPARE(run.questionSeconds(), 10);
        for (int t = 2; t <= 10; ++t) {
            QVERIFY(!run.tickClock());
        }
        QVERIFY(run.tickClock());
    }

    // Guards the pause's length (2 s per rendering of the word just asked), which pause
    // follows the last question, and the rate shown after each question.
    void runsToTheirEnd_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("rate");
        QTest::newRow("all_right") << 4 << "RRRR" << 100;
        QTest::newRow("1_of_8_rounds_to_even") << 8 << "RWWWWWWW" << 12;
        QTest::newRow("2_of_3") << 3 << "RWR" << 67;
        QTest::newRow("all_timed_out") << 2 << "TT" << 0;
    }

    void runsToTheirEnd()
    {
        QFETCH(int, words);
        QFETCH(QString, moves);
        QFETCH(int, rate);
        DrillRun run(m_random);
        run.setWords(simpleGroup(words));
        run.start(1);
        play(run, moves);
        QCOMPARE(run.pause(), DrillRun::Pause::BeforeStop);
        QCOMPARE(run.pauseMs(), 2000);
        QCOMPARE(run.rate(), rate);
        QCOMPARE(run.correct() + run.wrong(), words);
        QCOMPARE(run.result().rate, rate);
        QVERIFY(run.hasResultToSave());
    }

    // Guards the result a run leaves only once past its first question, and Stop putting
    // counts, rate, bars and rows back for the next run.
    void stopEndsTheRun()
    {
        DrillRun run(m_random);
        run.setWords(simpleGroup(5));
        run.start(1);
        play(run, "R");
        QVERIFY(!run.hasResultToSave());
        run.openNextQuestion();
        run.judgeRow(run.answerRows()[0]);
        QVERIFY(run.hasResultToSave());
        QCOMPARE(run.result().correct, 2);
        QCOMPARE(run.result().rate, 100);
        run.stop();
        QCOMPARE(run.result().correct, 0);
        QCOMPARE(run.result().wrong, 0);
        QCOMPARE(run.result().rate, 0);
        QCOMPARE(run.pause(), DrillRun::Pause::None);
        QVERIFY(!run.clockShown());
        QVERIFY(!run.coverShown());
        // After Stop nothing of the run is left to save, though its question number stays.
        QVERIFY(!run.inProgress() && !run.hasResultToSave());
        QCOMPARE(run.questionNumber(), 2);
        QVERIFY(run.feedback().isEmpty());
        for (int r = 0; r <= DrillRun::kLastRow; ++r) {
            QVERIFY(!run.row(r).shown && !run.row(r).found);
        }
        QVERIFY(!run.rowNumbersShown());
    }

    // Guards against a second run that goes on counting from the first: Stop must zero the
    // right and wrong counts, and Start the question counter, or the second run's numbers,
    // rate and end come out wrong.
    void secondRunStartsAfresh()
    {
        DrillRun run(m_random);
        run.setWords(simpleGroup(3));
        run.start(1);
        play(run, "RW");
        run.openNextQuestion();
        run.stop();

        QVERIFY(run.start(1));
        QCOMPARE(run.questionNumber(), 1);
        QCOMPARE(run.shownQuestionNumber(), 1);
        QCOMPARE(run.questionWord(), run.word(run.order()[0]).word);
        QCOMPARE(run.correct(), 0);
        QCOMPARE(run.wrong(), 0);
        play(run, "WRR");
        QCOMPARE(run.rate(), 67);
        QCOMPARE(run.pause(), DrillRun::Pause::BeforeStop);
        QCOMPARE(run.result().correct, 2);
        QCOMPARE(run.result().wrong, 1);
    }
};

QTEST_GUILESS_MAIN(TestDrillRun)
#include "tst_drillrun.moc"

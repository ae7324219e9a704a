// The drill window driven through its handlers: load, start, judging, pacing, question
// end, stop and the records a run leaves behind. Timer ticks are fired directly.
#include "drill/begin1.h"
#include "drill/wordfile.h"
#include "records/dialog1.h"
#include "shell/background.h"
#include "shell/form1.h"
#include "shell/module1.h"
#include "base/random.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QString fourteen(const QString &stem)
{
    QStringList pieces;
    for (int i = 1; i <= 14; ++i) {
        pieces << QStringLiteral("%1%2").arg(stem).arg(i);
    }
    return pieces.join(QStringLiteral("; "));
}

// A group whose words each have 14 translations: the right rows are always 1 to 14 and
// row 0 is always wrong, so a test knows the answers without peeking at tags.
QByteArray fullRowsGroup(int words)
{
    QByteArray bytes;
    for (int w = 1; w <= words; ++w) {
        bytes += QStringLiteral("词%1\r\n%2\r\n").arg(w).arg(fourteen(QStringLiteral("w%1-").arg(w)))
                     .toUtf8();
    }
    return bytes;
}

} // namespace

class TestDrill : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowAfterLoad();
    void backdropShowsDrillWindowOnce();
    void loadsChosenGroup();
    void choosingLoadedGroupAgainDoesNotReread();
    void selectPlaceholderKeepsGroup();
    void failedOpenWarnsAndKeepsGroup();
    void oversizedGroupIsRefused();

    void startAsksEveryWordOnce();
    void refusesGroupsThatCannotRun_data();
    void refusesGroupsThatCannotRun();

    void judgesSingleTranslation();
    void judgesSeveralTranslations();
    void foundRowClickedAgainChangesNothing();
    void wrongClickAfterAFindRevealsAll();
    void distractorWithSameTextIsWrong();
    void emptyWordLineOnlyMatchesItsRows();
    void clicksWhileClosedAreIgnored();
    void anyButtonJudges();

    void timesOutOnTick_data();
    void timesOutOnTick();
    void timeOutFeedbackTellsProgress();
    void speedChangeMidQuestionTakesNextTick();
    void stopInPauseCancelsPendingTick();
    void pauseLastsTwoSecondsPerTranslation();

    void rateRoundsHalfToEven_data();
    void rateRoundsHalfToEven();

    void wholeRuns_data();
    void wholeRuns();
    void failedSaveIsReported();
    void runEndingWhileRecordWindowOpenRefillsIt();

private:
    void writeGroup(int n, const QByteArray &bytes);
    std::unique_ptr<Begin1> openDrill();
    void choose(Begin1 &d, int group);
    std::unique_ptr<Begin1> startRun(const QByteArray &group);
    // Plays questions of a full-rows group: R answers every row, W clicks a wrong row,
    // T lets the time run out; the pause before each is ticked away. N only opens the
    // next question, P finds one row of the open question.
    void play(Begin1 &d, const QString &moves);
    void answerAllRows(Begin1 &d); // clicks rows 1..14 of a full-rows question
    void wrongClick(Begin1 &d) { d.Label2_MouseUp(0, Qt::LeftButton, {}, 0, 0); }
    QByteArray recordBytes(int group) const;
    static QByteArray place(qint32 point, qint16 words, qint16 rate, qint16 speed);

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Forms::Message> m_messages;
    QList<QString> m_modalShows;
    int m_recordWindowShows = 0;
};

void TestDrill::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ciku")));
    resetProgramState();
    gInstallPath = m_dir->path() + QLatin1Char('/');
    m_messages.clear();
    m_modalShows.clear();
    m_recordWindowShows = 0;
    Forms::setMessageAnswerer([this](const Forms::Message &m) {
        m_messages.append(m);
        return Forms::Answer::Ok;
    });
    Forms::setModalObserver([this](Forms::Form *form) {
        m_modalShows.append(QString::fromLatin1(form->metaObject()->className()));
        if (qobject_cast<Dialog1 *>(form)) {
            ++m_recordWindowShows;
        }
    });
}

void TestDrill::cleanup()
{
    Forms::setMessageAnswerer({});
    Forms::setModalObserver({});
    resetProgramState();
    m_dir.reset();
}

void TestDrill::writeGroup(int n, const QByteArray &bytes)
{
    QFile file(WordFile::groupPath(gInstallPath, n));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::unique_ptr<Begin1> TestDrill::openDrill()
{
    auto drill = std::make_unique<Begin1>();
    drill->random = Random(42);
    drill->load();
    return drill;
}

void TestDrill::choose(Begin1 &d, int group)
{
    d.Combo1->setCurrentIndex(group);
    d.Combo1_Click();
}

std::unique_ptr<Begin1> TestDrill::startRun(const QByteArray &group)
{
    writeGroup(1, group);
    auto d = openDrill();
    choose(*d, 1);
    d->Command2_Click();
    return d;
}

void TestDrill::play(Begin1 &d, const QString &moves)
{
    for (const QChar move : moves) {
        if (move == QLatin1Char('N')) {
            d.Timer2_Timer();
            continue;
        }
        if (move == QLatin1Char('P')) {
            d.Label2_MouseUp(2, Qt::LeftButton, {}, 0, 0);
            continue;
        }
        if (d.Timer2->isEnabled()) {
            d.Timer2_Timer();
        }
        if (move == QLatin1Char('R')) {
            answerAllRows(d);
        } else if (move == QLatin1Char('W')) {
            wrongClick(d);
        } else {
            while (d.mAnswering) {
                d.Timer1_Timer();
            }
        }
    }
}

void TestDrill::answerAllRows(Begin1 &d)
{
    for (int row = 1; row <= 14; ++row) {
        d.Label2_MouseUp(row, Qt::LeftButton, {}, 0, 0);
    }
}

QByteArray TestDrill::recordBytes(int group) const
{
    QFile file(gInstallPath + QStringLiteral("record_%1.divu").arg(group));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray TestDrill::place(qint32 point, qint16 words, qint16 rate, qint16 speed)
{
    QByteArray bytes(10, '\0');
    qToLittleEndian(point, bytes.data());
    qToLittleEndian(words, bytes.data() + 4);
    qToLittleEndian(rate, bytes.data() + 6);
    qToLittleEndian(speed, bytes.data() + 8);
    return bytes;
}

void TestDrill::windowAfterLoad()
{
    writeGroup(1, fullRowsGroup(2));
    writeGroup(2, fullRowsGroup(2));
    gSpeed = 3;
    auto d = openDrill();
    QCOMPARE(gGroupCount, qint16(2));
    QCOMPARE(d->Combo1->count(), 3);
    QCOMPARE(d->Combo1->currentText(), QStringLiteral("- Select -"));
    QCOMPARE(d->Combo1->itemText(2), QStringLiteral("Group 2"));
    QVERIFY(!d->Command2->isEnabled());
    QVERIFY(!d->Command3->isEnabled());
    QCOMPARE(gSpeed, qint16(2));
    QCOMPARE(d->mTimeStep, 231.75f);
    QCOMPARE(d->Label6->caption(), QStringLiteral("Normal"));
    QCOMPARE(d->mLastRow, qint16(14));
    QCOMPARE(d->Label8(0)->caption(), QStringLiteral("  1.  "));
    for (int r = 1; r <= 14; ++r) {
        QCOMPARE(d->Label8(r)->caption(), QStringLiteral("%1.  ").arg(r + 1));
    }
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(d->Label2(r)->isHidden());
        QVERIFY(d->Label8(r)->isHidden());
        QCOMPARE(Forms::twipTop(d->Label2(r)), 1140.0 + 375 * r);
    }
    QCOMPARE(Forms::twipTop(d->Label8(14)), 6390.0);
    QCOMPARE(Forms::twipLeft(d->Label8(14)), 600.0);
    QCOMPARE(d->findChild<Forms::Label *>(QStringLiteral("Label2_14")), d->Label2(14));
    // At the first load nothing is chosen, so the menu form is not touched yet.
    QCOMPARE(gGroup, qint16(0));
}

void TestDrill::backdropShowsDrillWindowOnce()
{
    Background backdrop;
    backdrop.load();
    backdrop.Timer1->setEnabled(false);
    gInstallPath = m_dir->path() + QLatin1Char('/');
    writeGroup(1, fullRowsGroup(2));
    backdrop.Timer1_Timer();
    Begin1 *first = backdrop.drillWindow();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->parentWidget(), &backdrop);
    QVERIFY(!backdrop.Timer1->isEnabled());
    backdrop.Timer1_Timer();
    QCOMPARE(backdrop.drillWindow(), first);
    QCOMPARE(backdrop.findChildren<Begin1 *>().size(), 1);
}

void TestDrill::loadsChosenGroup()
{
    writeGroup(1, "  甲 \r\nalpha\r\n乙\r\nbeta\r\n丙\r\n");
    auto d = openDrill();
    QVERIFY(!d->menuForm()->Record->isEnabled());
    gLastPlace = 4;
    choose(*d, 1);
    QCOMPARE(gGroup, qint16(1));
    QCOMPARE(d->mWordCount, qint16(2));
    QCOMPARE(d->mWords[1][0], QStringLiteral("  甲 "));
    QCOMPARE(d->Label1->caption(), QStringLiteral("第1组: 2个词语"));
    QVERIFY(d->Command2->isEnabled());
    QVERIFY(!d->Command3->isEnabled());
    QVERIFY(d->menuForm()->Record->isEnabled());
    QCOMPARE(gLastPlace, qint16(0));
    QVERIFY(m_messages.isEmpty());
}

void TestDrill::choosingLoadedGroupAgainDoesNotReread()
{
    writeGroup(1, fullRowsGroup(2));
    writeGroup(2, fullRowsGroup(3));
    auto d = openDrill();
    choose(*d, 1);
    writeGroup(1, fullRowsGroup(5));
    choose(*d, 1);
    QCOMPARE(d->mWordCount, qint16(2));
    choose(*d, 2);
    choose(*d, 1);
    QCOMPARE(d->mWordCount, qint16(5));
}

void TestDrill::selectPlaceholderKeepsGroup()
{
    writeGroup(1, fullRowsGroup(2));
    auto d = openDrill();
    choose(*d, 1);
    choose(*d, 0);
    QVERIFY(!d->Command2->isEnabled());
    QCOMPARE(gGroup, qint16(1));
    QCOMPARE(d->Label1->caption(), QStringLiteral("第1组: 2个词语"));
}

void TestDrill::failedOpenWarnsAndKeepsGroup()
{
    writeGroup(1, fullRowsGroup(2));
    writeGroup(2, fullRowsGroup(3));
    auto d = openDrill();
    choose(*d, 1);
    QVERIFY(QFile::remove(WordFile::groupPath(gInstallPath, 2)));
    choose(*d, 2);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Fail to find file 'ci2'."));
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QCOMPARE(m_messages[0].icon, Forms::Icon::Exclamation);
    QCOMPARE(m_messages[0].buttons, Forms::Buttons::Ok);
    QCOMPARE(gGroup, qint16(1));
    QCOMPARE(d->mWordCount, qint16(2));
    QCOMPARE(d->Label1->caption(), QStringLiteral("第1组: 2个词语"));
    QVERIFY(d->Command2->isEnabled());
}

void TestDrill::oversizedGroupIsRefused()
{
    writeGroup(1, fullRowsGroup(2));
    QByteArray big;
    for (int i = 0; i <= WordFile::kMaxEntries; ++i) {
        big += "w\r\nt\r\n";
    }
    writeGroup(2, big);
    auto d = openDrill();
    choose(*d, 1);
    choose(*d, 2);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QVERIFY(m_messages[0].text.contains(QStringLiteral("Group 2")));
    QCOMPARE(gGroup, qint16(1));
    QCOMPARE(d->mWordCount, qint16(2));
}

void TestDrill::startAsksEveryWordOnce()
{
    auto d = startRun(fullRowsGroup(6));
    QCOMPARE(d->mQuestion, qint16(1));
    QCOMPARE(d->Label4(3)->caption(), QStringLiteral("1"));
    QCOMPARE(d->mQuestions.size(), 7);
    QStringList asked;
    for (int q = 1; q <= 6; ++q) {
        asked << d->mQuestions[q][0];
    }
    asked.sort();
    QStringList words;
    for (int w = 1; w <= 6; ++w) {
        words << d->mWords[w][0];
    }
    words.sort();
    QCOMPARE(asked, words);
    QVERIFY(!d->Command2->isEnabled());
    QVERIFY(d->Command3->isEnabled());
    QVERIFY(!d->Combo1->isEnabled());
    QVERIFY(!d->menuForm()->Setting->isEnabled());
    QVERIFY(d->Timer1->isEnabled());
    QVERIFY(d->mAnswering);
    QCOMPARE(d->Label1->caption(), d->mQuestions[1][0]);
    QCOMPARE(d->mElapsedWidth, 13.0f);
    QCOMPARE(Forms::twipHeight(d->Label5(3)), 6330.0);
    QVERIFY(!d->Label5(3)->isHidden());
    QCOMPARE(d->mCoverStep, static_cast<float>(6330.0 / 14 - 13));
}

void TestDrill::refusesGroupsThatCannotRun_data()
{
    QTest::addColumn<QByteArray>("group"); // empty: the only group fails to open
    QTest::addColumn<QString>("mentions");
    QStringList fifteen;
    for (int i = 1; i <= 15; ++i) {
        fifteen << QStringLiteral("t%1").arg(i);
    }
    QTest::newRow("one_entry") << QByteArray("甲\r\nalpha\r\n") << "at least 2";
    QTest::newRow("no_group_loaded") << QByteArray() << "No group";
    QTest::newRow("fifteen_translations")
        << QByteArray("甲\r\nalpha\r\n乙\r\n" + fifteen.join(';').toUtf8() + "\r\n")
        << "'乙' (line 3";
}

void TestDrill::refusesGroupsThatCannotRun()
{
    QFETCH(QByteArray, group);
    QFETCH(QString, mentions);
    writeGroup(1, group.isEmpty() ? QByteArray("x\r\ny\r\n") : group);
    auto d = openDrill();
    if (group.isEmpty()) {
        QVERIFY(QFile::remove(WordFile::groupPath(gInstallPath, 1)));
    }
    choose(*d, 1);
    m_messages.clear();
    QVERIFY(d->Command2->isEnabled());
    d->Command2_Click();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QCOMPARE(m_messages[0].icon, Forms::Icon::Exclamation);
    QVERIFY2(m_messages[0].text.contains(mentions), qPrintable(m_messages[0].text));
    QVERIFY(d->Command2->isEnabled());
    QVERIFY(!d->Command3->isEnabled());
    QVERIFY(d->Combo1->isEnabled());
    QCOMPARE(d->mQuestion, qint16(0));
    QVERIFY(!d->Timer1->isEnabled());
}

void TestDrill::judgesSingleTranslation()
{
    auto d = startRun("甲\r\nalpha\r\n乙\r\nbeta\r\n");
    const int row = d->mAnswers[1][2].toInt();
    QCOMPARE(d->mCoverStep, 6317.0f);
    d->Label2_MouseUp(row, Qt::LeftButton, {}, 0, 0);
    QCOMPARE(d->mCorrect, qint16(1));
    QCOMPARE(d->Label9->caption(), QStringLiteral("Good job!\r\n正确！"));
    QCOMPARE(d->Label4(0)->caption(), QStringLiteral("1"));
    QCOMPARE(d->Label4(2)->caption(), QStringLiteral("100"));
    QVERIFY(!d->mAnswering);
    QVERIFY(!d->Timer1->isEnabled());
    QVERIFY(d->Timer2->isEnabled());
    QCOMPARE(d->Timer2->interval(), 2000);
    QVERIFY(d->Label5(3)->isHidden());
}

void TestDrill::judgesSeveralTranslations()
{
    auto d = startRun("甲\r\none;two;three\r\n乙\r\nbeta\r\n丙\r\ngamma\r\n");
    while (d->mQuestions[d->mQuestion][0] != QStringLiteral("甲")) {
        wrongClick(*d);
        d->Timer2_Timer();
    }
    const qint16 correctBefore = d->mCorrect;
    const int rows[] = {d->mAnswers[1][2].toInt(), d->mAnswers[2][2].toInt(),
                        d->mAnswers[3][2].toInt()};
    d->Label2_MouseUp(rows[0], Qt::LeftButton, {}, 0, 0);
    d->Label2_MouseUp(rows[1], Qt::LeftButton, {}, 0, 0);
    QCOMPARE(Forms::backColor(d->Label2(rows[0])), QColor(255, 192, 192));
    QCOMPARE(Forms::backColor(d->Label2(rows[1])), QColor(255, 192, 192));
    QCOMPARE(d->mToFind, qint16(1));
    QVERIFY(d->Label9->caption().isEmpty());
    QCOMPARE(d->Label4(0)->caption(), QString::number(correctBefore));
    QVERIFY(d->mAnswering);
    QCOMPARE(Forms::twipHeight(d->Label5(3)), 6330.0 - 2 * (6330.0 / 3 - 13));
    d->Label2_MouseUp(rows[2], Qt::LeftButton, {}, 0, 0);
    QCOMPARE(d->mCorrect, qint16(correctBefore + 1));
    QVERIFY(!d->mAnswering);
    // The reveal repaints found rows in the rest colour.
    QCOMPARE(Forms::backColor(d->Label2(rows[0])), QColor(192, 255, 192));
    Forms::Timer *pause = d->Timer3->isEnabled() ? d->Timer3 : d->Timer2;
    QCOMPARE(pause->interval(), 6000);
}

void TestDrill::foundRowClickedAgainChangesNothing()
{
    auto d = startRun(fullRowsGroup(2));
    d->Label2_MouseUp(5, Qt::LeftButton, {}, 0, 0);
    const double cover = Forms::twipHeight(d->Label5(3));
    d->Label2_MouseUp(5, Qt::LeftButton, {}, 0, 0);
    QCOMPARE(d->mToFind, qint16(13));
    QCOMPARE(Forms::twipHeight(d->Label5(3)), cover);
    QVERIFY(d->mAnswering);
}

void TestDrill::wrongClickAfterAFindRevealsAll()
{
    auto d = startRun("甲\r\none;two\r\n乙\r\nbeta\r\n");
    if (d->mQuestions[1][0] != QStringLiteral("甲")) {
        wrongClick(*d);
        d->Timer2_Timer();
    }
    const int found = d->mAnswers[1][2].toInt();
    const int other = d->mAnswers[2][2].toInt();
    int wrong = 0;
    while (wrong == found || wrong == other) {
        ++wrong;
    }
    d->Label2_MouseUp(found, Qt::LeftButton, {}, 0, 0);
    const qint16 wrongBefore = d->mWrong;
    d->Label2_MouseUp(wrong, Qt::LeftButton, {}, 0, 0);
    QCOMPARE(d->mWrong, qint16(wrongBefore + 1));
    QCOMPARE(d->Label9->caption(), QStringLiteral("Be careful!\r\n仔细点！"));
    QCOMPARE(d->Label4(1)->caption(), QString::number(d->mWrong));
    QVERIFY(d->Label2(wrong)->isHidden());
    QVERIFY(!d->Label2(found)->isHidden());
    QVERIFY(!d->Label2(other)->isHidden());
    QCOMPARE(Forms::backColor(d->Label2(found)), QColor(192, 255, 192));
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(!d->Label8(r)->isHidden());
        QCOMPARE(d->Label2(r)->isHidden(), r != found && r != other);
    }
}

void TestDrill::distractorWithSameTextIsWrong()
{
    auto d = startRun("甲\r\nsame\r\n乙\r\nsame\r\n");
    const int right = d->mAnswers[1][2].toInt();
    const int distractor = right == 1 ? 2 : 1;
    QCOMPARE(d->Label2(distractor)->caption(), d->Label2(right)->caption());
    d->Label2_MouseUp(distractor, Qt::LeftButton, {}, 0, 0);
    QCOMPARE(d->mWrong, qint16(1));
    QCOMPARE(d->mCorrect, qint16(0));
}

void TestDrill::emptyWordLineOnlyMatchesItsRows()
{
    // A blank word line equals every distractor's empty tag; those rows stay wrong.
    auto d = startRun("\r\nblank\r\n乙\r\nbeta\r\n");
    if (!d->mQuestions[1][0].isEmpty()) {
        wrongClick(*d);
        d->Timer2_Timer();
    }
    QVERIFY(d->mQuestions[d->mQuestion][0].isEmpty());
    const int right = d->mAnswers[1][2].toInt();
    const int distractor = right == 1 ? 2 : 1;
    d->Label2_MouseUp(distractor, Qt::LeftButton, {}, 0, 0);
    QCOMPARE(d->Label9->caption(), QStringLiteral("Be careful!\r\n仔细点！"));
}

void TestDrill::clicksWhileClosedAreIgnored()
{
    writeGroup(1, fullRowsGroup(3));
    auto d = openDrill();
    choose(*d, 1);
    d->Label2_MouseUp(3, Qt::LeftButton, {}, 0, 0); // before any run
    QCOMPARE(d->mCorrect + d->mWrong, 0);
    d->Command2_Click();
    wrongClick(*d);
    QCOMPARE(d->mWrong, qint16(1));
    answerAllRows(*d); // during the pause
    wrongClick(*d);
    QCOMPARE(d->mWrong, qint16(1));
    QCOMPARE(d->mCorrect, qint16(0));
}

void TestDrill::anyButtonJudges()
{
    auto d = startRun(fullRowsGroup(2));
    d->Label2_MouseUp(3, Qt::RightButton, Qt::ShiftModifier, 10, 10);
    d->Label2_MouseUp(4, Qt::MiddleButton, {}, 0, 0);
    QCOMPARE(d->mToFind, qint16(12));
}

void TestDrill::timesOutOnTick_data()
{
    QTest::addColumn<int>("speedIndex");
    QTest::addColumn<int>("tick");
    QTest::newRow("slow") << 0 << 31;
    QTest::newRow("normal") << 1 << 21;
    QTest::newRow("fast") << 2 << 11;
}

void TestDrill::timesOutOnTick()
{
    QFETCH(int, speedIndex);
    QFETCH(int, tick);
    writeGroup(1, fullRowsGroup(3));
    auto d = openDrill();
    d->Common02(static_cast<qint16>(speedIndex));
    choose(*d, 1);
    d->Command2_Click();
    for (int t = 1; t < tick; ++t) {
        d->Timer1_Timer();
        QVERIFY2(d->mAnswering, qPrintable(QStringLiteral("closed on tick %1").arg(t)));
    }
    QCOMPARE(d->mElapsedWidth, 4648.0f);
    d->Timer1_Timer();
    QVERIFY(!d->mAnswering);
    QCOMPARE(d->mWrong, qint16(1));
    QVERIFY(!d->Timer1->isEnabled());
}

void TestDrill::timeOutFeedbackTellsProgress()
{
    auto d = startRun(fullRowsGroup(3));
    for (int t = 0; t < 21; ++t) {
        d->Timer1_Timer();
    }
    QCOMPARE(d->Label9->caption(), QStringLiteral("Carry on!\r\n继续努力！"));
    d->Timer2_Timer();
    d->Label2_MouseUp(1, Qt::LeftButton, {}, 0, 0);
    for (int t = 0; t < 21; ++t) {
        d->Timer1_Timer();
    }
    QCOMPARE(d->Label9->caption(), QStringLiteral("Hurry up!\r\n动作快点！"));
    QCOMPARE(d->mWrong, qint16(2));
    QCOMPARE(d->mCorrect, qint16(0));
    QCOMPARE(d->Label4(1)->caption(), QStringLiteral("2"));
}

void TestDrill::speedChangeMidQuestionTakesNextTick()
{
    auto d = startRun(fullRowsGroup(3));
    d->Timer1_Timer();
    QCOMPARE(d->mElapsedWidth, 13.0f + 231.75f);
    d->Common02(2);
    QCOMPARE(d->Label6->caption(), QStringLiteral("Fast"));
    QCOMPARE(gSpeed, qint16(3));
    QCOMPARE(d->mElapsedWidth, 13.0f + 231.75f); // not reset
    d->Timer1_Timer();
    QCOMPARE(d->mElapsedWidth, 13.0f + 231.75f + 463.5f);
}

void TestDrill::stopInPauseCancelsPendingTick()
{
    auto d = startRun(fullRowsGroup(3));
    wrongClick(*d);
    QVERIFY(d->Timer2->isEnabled());
    d->Command3_Click();
    QVERIFY(!d->Timer1->isEnabled());
    QVERIFY(!d->Timer2->isEnabled());
    QVERIFY(!d->Timer3->isEnabled());
    QVERIFY(!d->Timer2->isTicking());
}

void TestDrill::pauseLastsTwoSecondsPerTranslation()
{
    auto d = startRun("甲\r\na;b;c;d;e\r\n乙\r\nbeta\r\n");
    wrongClick(*d);
    const int expected = 2000 * d->mAnswerCount;
    QCOMPARE(d->Timer2->interval(), expected);
    QVERIFY(expected == 2000 || expected == 10000);
}

void TestDrill::rateRoundsHalfToEven_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("rate");
    QTest::newRow("1_of_8") << 1 << 8 << "12";
    QTest::newRow("3_of_8") << 3 << 8 << "38";
    QTest::newRow("5_of_8") << 5 << 8 << "62";
    QTest::newRow("2_of_3") << 2 << 3 << "67";
    QTest::newRow("1_of_3") << 1 << 3 << "33";
    QTest::newRow("0_of_5") << 0 << 5 << "0";
}

void TestDrill::rateRoundsHalfToEven()
{
    QFETCH(int, right);
    QFETCH(int, total);
    QFETCH(QString, rate);
    auto d = startRun(fullRowsGroup(total));
    play(*d, QString(right, QLatin1Char('R')) + QString(total - right, QLatin1Char('W')));
    QCOMPARE(d->Label4(2)->caption(), rate);
}

void TestDrill::wholeRuns_data()
{
    QTest::addColumn<int>("words");
    QTest::addColumn<int>("speedIndex");
    QTest::addColumn<QString>("moves"); // see play(); N opens the next question, P finds row 2
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QByteArray>("place1"); // empty: nothing written
    QTest::addColumn<int>("recordShows");

    // 4 right x 100 % x Normal
    QTest::newRow("all_right") << 4 << 1 << "RRRR" << "pause_ends" << place(800, 4, 100, 2) << 1;
    // 2 right of 3, rate 67, Slow
    QTest::newRow("wrong_click_slow") << 3 << 0 << "RWR" << "pause_ends" << place(134, 3, 67, 1)
                                      << 1;
    QTest::newRow("all_timed_out") << 2 << 1 << "TT" << "pause_ends" << QByteArray() << 1;
    QTest::newRow("stop_in_first_pause") << 3 << 1 << "R" << "stop" << QByteArray() << 0;
    QTest::newRow("stop_in_third_question") << 5 << 2 << "RRNP" << "stop"
                                            << place(600, 2, 100, 3) << 1;
    QTest::newRow("stop_in_last_pause") << 2 << 1 << "RR" << "stop" << place(400, 2, 100, 2) << 1;
    // 1 right of 2, rate 50: saved without a window or a message
    QTest::newRow("unload_in_third_question") << 4 << 1 << "RWN" << "unload"
                                              << place(100, 2, 50, 2) << 0;
}

void TestDrill::wholeRuns()
{
    QFETCH(int, words);
    QFETCH(int, speedIndex);
    QFETCH(QString, moves);
    QFETCH(QString, ending);
    QFETCH(QByteArray, place1);
    QFETCH(int, recordShows);
    writeGroup(1, fullRowsGroup(words));
    auto d = openDrill();
    d->Common02(static_cast<qint16>(speedIndex));
    choose(*d, 1);
    d->Command2_Click();
    play(*d, moves);
    if (ending == QLatin1String("pause_ends")) {
        QVERIFY(d->Timer3->isEnabled());
        QVERIFY(!d->Timer2->isEnabled());
        d->Timer3_Timer();
    } else if (ending == QLatin1String("stop")) {
        d->Command3_Click();
    } else {
        d->unload();
        QVERIFY(m_messages.isEmpty());
    }

    const QByteArray bytes = recordBytes(1);
    if (place1.isEmpty()) {
        QVERIFY(bytes.isEmpty());
    } else {
        QCOMPARE(bytes.size(), 100);
        QCOMPARE(bytes.left(10), place1);
        QCOMPARE(bytes.mid(10), QByteArray(90, '\0'));
    }
    QCOMPARE(gLastPlace, qint16(place1.isEmpty() ? 0 : 1));
    QCOMPARE(m_recordWindowShows, recordShows);
    QVERIFY(!d->Timer1->isEnabled() && !d->Timer2->isEnabled() && !d->Timer3->isEnabled());
    if (ending == QLatin1String("unload")) {
        return;
    }
    QVERIFY(d->Command2->isEnabled());
    QVERIFY(!d->Command3->isEnabled());
    QVERIFY(d->Combo1->isEnabled());
    QVERIFY(d->menuForm()->Setting->isEnabled());
    QCOMPARE(d->Label1->caption(), WordFile::groupLine(1, words));
    QCOMPARE(d->Label4(0)->caption(), QStringLiteral("0"));
    QCOMPARE(d->mElapsedWidth, 4635.0f);
    QVERIFY(d->Label9->caption().isEmpty());
    for (int r = 0; r <= 14; ++r) {
        QVERIFY(d->Label2(r)->isHidden());
        // No found mark survives into the next run.
        QCOMPARE(Forms::backColor(d->Label2(r)), QColor(192, 255, 192));
    }
}

void TestDrill::failedSaveIsReported()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("record_1.divu")));
    auto d = startRun(fullRowsGroup(3));
    play(*d, "RRN");
    d->Command3_Click();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, QStringLiteral("Warning!"));
    QCOMPARE(m_messages[0].icon, Forms::Icon::Exclamation);
    QVERIFY2(m_messages[0].text.contains(QStringLiteral("group 1")), qPrintable(m_messages[0].text));
    QCOMPARE(gLastPlace, qint16(0));
    QVERIFY(d->Command2->isEnabled());
}

void TestDrill::runEndingWhileRecordWindowOpenRefillsIt()
{
    auto d = startRun(fullRowsGroup(2));
    play(*d, "RR");
    // The learner opens the record from the menu during the last pause; the run ends
    // behind it.
    int shows = 0;
    qint16 shownAfterRun = 0;
    Forms::setModalObserver([&](Forms::Form *form) {
        ++shows;
        auto *window = qobject_cast<Dialog1 *>(form);
        QVERIFY(window);
        if (shows == 1) {
            d->Timer3_Timer();
            shownAfterRun = window->mShownGroup;
        }
    });
    d->menuForm()->Record_Click();
    QCOMPARE(shows, 1);
    QCOMPARE(shownAfterRun, qint16(1));
    QCOMPARE(gLastPlace, qint16(1));
    QCOMPARE(recordBytes(1).left(10), place(400, 2, 100, 2));
}

QTEST_MAIN(TestDrill)
#include "tst_drill.moc"

// The runtime layer: rounding, number texts, random draws, timers, twips and records.
#include "base/chinese.h"
#include "base/files.h"
#include "base/numtext.h"
#include "base/random.h"
#include "base/speechchoice.h"
#include "forms/accessibility.h"
#include "forms/forms.h"
#include "recordkeeping/recordfile.h"

#include <QAccessible>
#include <QtTest>

#include <cmath>

class TestRuntime : public QObject
{
    Q_OBJECT

private slots:
    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void drawStaysWithinRange_data();
    void drawStaysWithinRange();
    void drawsCoverEveryValueOverSeeds();
    void fixedSeedRepeats();
    void zeroIntervalTimerNeverTicks();
    void timerTicksWhileEnabled();
    void fixedRecordsReadZerosPastEnd();
    void twipsRoundTrip();
    void labelMemberCopiesLookAndHides();
    void messageAnswererSeesRequest();
    void mandarinVoiceChosen_data();
    void mandarinVoiceChosen();
    void chineseByCodePoint_data();
    void chineseByCodePoint();
};

void TestRuntime::roundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("rounded");
    // 12.5 and 66.67 are rates of whole runs in tst_drillrun.
    QTest::newRow("37.5") << 37.5 << qint64(38);
    QTest::newRow("62.5") << 62.5 << qint64(62);
    QTest::newRow("33.33") << 100.0 / 3 << qint64(33);
    QTest::newRow("0.5") << 0.5 << qint64(0);
    QTest::newRow("1.5") << 1.5 << qint64(2);
    QTest::newRow("minus_2.5") << -2.5 << qint64(-2);
    QTest::newRow("100") << 100.0 << qint64(100);
}

void TestRuntime::roundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(qint64, rounded);
    QCOMPARE(NumText::roundHalfEven(value), rounded);
}

void TestRuntime::drawStaysWithinRange_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("expected");
    const double justBelowOne = std::nextafter(1.0, 0.0);
    QTest::newRow("zero") << 0.0 << 14 << 1;
    QTest::newRow("just_below_one_m14") << justBelowOne << 14 << 14;
    QTest::newRow("just_below_one_m5") << justBelowOne << 5 << 5;
    QTest::newRow("just_below_one_m32767") << justBelowOne << 32767 << 32767;
    QTest::newRow("half") << 0.5 << 4 << 3;
    QTest::newRow("m_one") << 0.99 << 1 << 1;
}

void TestRuntime::drawStaysWithinRange()
{
    QFETCH(double, x);
    QFETCH(int, m);
    QFETCH(int, expected);
    QCOMPARE(drawIntFrom(x, m), expected);
}

void TestRuntime::drawsCoverEveryValueOverSeeds()
{
    // Each of 1..m appears and m + 1 never does; counts stay near uniform.
    const int m = 14;
    QVector<int> counts(m + 2, 0);
    for (quint64 seed = 1; seed <= 200; ++seed) {
        Random random(seed);
        random.seedFromClock();
        for (int i = 0; i < 70; ++i) {
            const int r = drawInt(random, m);
            QVERIFY2(r >= 1 && r <= m, qPrintable(QString::number(r)));
            ++counts[r];
        }
    }
    const int expected = 200 * 70 / m;
    for (int v = 1; v <= m; ++v) {
        QVERIFY2(std::abs(counts[v] - expected) < expected / 5,
                 qPrintable(QStringLiteral("%1 drawn %2 times").arg(v).arg(counts[v])));
    }
}

void TestRuntime::fixedSeedRepeats()
{
    Random first(7);
    first.seedFromClock();
    Random second(7);
    second.seedFromClock();
    QCOMPARE(second.next(), first.next());
}

void TestRuntime::zeroIntervalTimerNeverTicks()
{
    // A zero-interval QTimer would fire on every pass of the event loop.
    Forms::Timer timer(nullptr, 0, true);
    QVERIFY(timer.isEnabled());
    QVERIFY(!timer.isTicking());
    QSignalSpy spy(&timer, &Forms::Timer::timeout);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);
}

void TestRuntime::timerTicksWhileEnabled()
{
    Forms::Timer timer(nullptr, 0, false);
    timer.setInterval(5);
    QVERIFY(!timer.isTicking());
    timer.setEnabled(true);
    QVERIFY(timer.isTicking());
    QSignalSpy spy(&timer, &Forms::Timer::timeout);
    QVERIFY(spy.wait(2000));
    timer.setEnabled(false);
    QVERIFY(!timer.isTicking());
}

void TestRuntime::fixedRecordsReadZerosPastEnd()
{
    QByteArray image("abcdefg", 7);
    QCOMPARE(RecordFile::readSlot(image, 1, 5), QByteArray("abcde"));
    QCOMPARE(RecordFile::readSlot(image, 2, 5), QByteArray("fg\0\0\0", 5));
    QCOMPARE(RecordFile::readSlot(image, 3, 5), QByteArray(5, '\0'));
    RecordFile::writeSlot(image, 4, QByteArray("12345"));
    QCOMPARE(image, QByteArray("abcdefg") + QByteArray(8, '\0') + "12345");
}

void TestRuntime::twipsRoundTrip()
{
    QWidget parent;
    QWidget child(&parent);
    Forms::setTwipGeometry(&child, 2025, 7155, 231.75, 345);
    QCOMPARE(Forms::twipWidth(&child), 231.75);
    QCOMPARE(child.geometry(), QRect(135, 477, 15, 23));
    Forms::setTwipWidth(&child, 13);
    QCOMPARE(child.width(), 1);
}

void TestRuntime::labelMemberCopiesLookAndHides()
{
    QWidget parent;
    auto *label = new Forms::Label(&parent, QStringLiteral("Label"));
    label->setObjectName(QStringLiteral("candidateRow_0"));
    Forms::setTwipGeometry(label, 1080, 1140, 615, 315);
    Forms::setBackColor(label, Forms::rgb(192, 255, 192));
    label->setTag(QStringLiteral("word"));
    label->show();
    Forms::Label *member = label->cloneAsMember(3);
    QCOMPARE(member->objectName(), QStringLiteral("candidateRow_3"));
    QCOMPARE(member->index(), 3);
    QCOMPARE(member->caption(), QStringLiteral("Label"));
    QCOMPARE(member->tag(), QStringLiteral("word"));
    QCOMPARE(Forms::backColor(member), QColor(192, 255, 192));
    QCOMPARE(Forms::twipTop(member), 1140.0);
    QVERIFY(member->isHidden());
}

void TestRuntime::messageAnswererSeesRequest()
{
    Forms::Message seen;
    Forms::setMessageAnswerer([&seen](const Forms::Message &m) {
        seen = m;
        return Forms::Answer::No;
    });
    const Forms::Answer answer =
        Forms::msgBox(nullptr, {QStringLiteral("Sure?"), QStringLiteral("Attention!"),
                                Forms::Buttons::YesNo, Forms::Icon::None, Forms::Answer::No});
    Forms::setMessageAnswerer({});
    QCOMPARE(answer, Forms::Answer::No);
    QCOMPARE(seen.title, QStringLiteral("Attention!"));
    QCOMPARE(seen.buttons, Forms::Buttons::YesNo);
}

// Guards against a Cantonese or English voice saying the word, and espeak-ng's voice that
// reads many characters wrong (a plain Chinese locale's pick) taken over its Pinyin one.
void TestRuntime::mandarinVoiceChosen_data()
{
    QTest::addColumn<QStringList>("voices"); // name|locale, as the service offers them
    QTest::addColumn<int>("chosen");
    const QString mandarin = "Chinese (Mandarin, latin as ";
    QTest::newRow("debian_espeak_ng") << QStringList{"Bishnupriya Manipuri|C",
        mandarin + "English)|C", mandarin + "English)+Adam|C", mandarin + "Pinyin)+Adam|C",
        mandarin + "Pinyin)|C", "Chinese (Cantonese)|yue_HK", "English (America)|en_US"} << 4;
    QTest::newRow("pinyin_then_locale") << QStringList{"Li|zh_TW", mandarin + "Pinyin)|C"} << 1;
    QTest::newRow("locale_over_name") << QStringList{mandarin + "English)|C", "Li|zh_TW"} << 1;
    QTest::newRow("no_mandarin") << QStringList{"Chinese (Cantonese)|C", "Tracy|zh_HK"} << -1;
}

void TestRuntime::mandarinVoiceChosen()
{
    QFETCH(QStringList, voices);
    QVector<SpeechChoice::Voice> offered;
    for (const QString &voice : voices) {
        offered.append({voice.section('|', 0, 0), QLocale(voice.section('|', 1))});
    }
    QTEST(SpeechChoice::mandarinVoice(offered), "chosen");
}

// Guards against a character beyond the Basic Multilingual Plane (two UTF-16 units) read
// in an English voice, and a lone surrogate taken for half of one.
void TestRuntime::chineseByCodePoint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("chinese");
    const QString extB = QString::fromUcs4(U"go \U00020000\U0002A6D6");
    QTest::newRow("han") << "词" << 0 << true;
    QTest::newRow("full_width_mark") << "！" << 0 << true;
    QTest::newRow("ext_b_high_half") << extB << 3 << true;
    QTest::newRow("ext_b_low_half") << extB << 6 << true;
    QTest::newRow("emoji_low_half") << QString::fromUcs4(U"\U0001F600") << 1 << false;
    QTest::newRow("lone_high") << QString(QChar(0xD840)) << 0 << false;
    QTest::newRow("lone_low") << QString(QChar(0xDC00)) + "a" << 0 << false;
}

void TestRuntime::chineseByCodePoint()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(bool, chinese);
    QCOMPARE(Chinese::isChinese(Chinese::codePointAt(text, index)), chinese);
    // Announced, the character's run is marked Chinese or English by the same test.
    QWidget window;
    Forms::announce(&window, text);
    QAccessibleInterface *notice = QAccessible::queryAccessibleInterface(
        window.findChild<QWidget *>("screenReaderAnnouncer"));
    int start = 0, end = 0;
    QCOMPARE(notice->textInterface()->attributes(index, &start, &end),
             chinese ? "language:zh-CN;" : "language:en;");
    QVERIFY(start <= index && index < end);
}

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"

#include "drill/begin1.h"

#include "drill/questions.h"
#include "drill/wordfile.h"
#include "records/dialog1.h"
#include "records/recordfile.h"
#include "settings/speed.h"
#include "shell/form1.h"
#include "shell/module1.h"
#include "base/numtext.h"
#include "base/random.h"

#include <QPixmap>

using Forms::Label;
using Forms::rgb;

namespace {

const QColor kRowRest(192, 255, 192);
const QColor kRowFound(255, 192, 192);
constexpr double kFullTimeBar = 4635.0;
constexpr double kEmptyBar = 13.0;
constexpr double kTimeUp = 4570.0;
constexpr double kCoverFull = 6330.0;
constexpr double kCoverGone = 130.0;

Label *makeLabel(QWidget *parent, const QString &name, const QString &caption, double left,
                 double top, double width, double height)
{
    auto *label = new Label(parent, caption);
    label->setObjectName(name);
    Forms::setTwipGeometry(label, left, top, width, height);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption,
                        double left, double top, double width, double height)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    Forms::setTwipGeometry(button, left, top, width, height);
    Forms::setDesignFont(button, QStringLiteral("MS Sans Serif"), 8.25);
    return button;
}

QString feedback(const char *english, const QString &chinese)
{
    return QLatin1String(english) + QLatin1String("\r\n") + chinese;
}

} // namespace

Begin1::Begin1(QWidget *owner) : Forms::Form(owner, Qt::Dialog)
{
    setWindowTitle(QStringLiteral("Wordmoor"));
    Forms::setClientSizeTwips(this, 8955, 7890);
    Forms::setBackColor(this, rgb(0, 192, 0));
    buildControls();
}

Begin1::~Begin1() = default;

void Begin1::buildControls()
{
    // The window's design table, back to front (later controls lie on top).
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Forms::setTwipGeometry(Shape1, 540, 1080, 8295, 5715);

    auto *bar = makeLabel(this, QStringLiteral("Label5_1"), QString(), 120, 450, 330, 6330);
    Forms::setBackColor(bar, rgb(255, 128, 0));
    Label5.set(1, bar);
    auto *cover = makeLabel(this, QStringLiteral("Label5_3"), QString(), 120, 450, 330, 13);
    Forms::setBackColor(cover, rgb(192, 255, 255));
    cover->hide();
    Label5.set(3, cover);
    auto *timeBack = makeLabel(this, QStringLiteral("Label5_2"), QString(), 2025, 7155, 4635, 345);
    Forms::setBackColor(timeBack, rgb(192, 255, 255));
    Label5.set(2, timeBack);
    auto *timeBar = makeLabel(this, QStringLiteral("Label5_0"), QString(), 2025, 7155, 4635, 345);
    Forms::setBackColor(timeBar, rgb(255, 192, 192));
    Forms::setDesignFont(timeBar, QStringLiteral("Times New Roman"), 10.5);
    Label5.set(0, timeBar);

    Label6 = makeLabel(this, QStringLiteral("Label6"), QStringLiteral("Normal"), 2070, 7245, 4560,
                       195);
    Label6->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(Label6, QStringLiteral("Microsoft Sans Serif"), 8.25);
    Forms::setForeColor(Label6, Qt::black);
    Label6->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *scoreCaption = makeLabel(
        this, QStringLiteral("Label3_0"),
        QStringLiteral("  No.         Correct:         Wrong:         Correctness Rate:        %  "),
        2025, 6885, 4635, 195);
    Forms::setDesignFont(scoreCaption, QStringLiteral("Microsoft Sans Serif"), 8.25);
    Forms::setBackColor(scoreCaption, rgb(192, 255, 192));
    Label3.set(0, scoreCaption);
    const struct
    {
        int index;
        double left;
        QColor color;
    } numbers[] = {{3, 2385, rgb(0, 0, 255)},
                   {0, 3330, rgb(0, 64, 0)},
                   {1, 4275, rgb(255, 0, 0)},
                   {2, 5985, rgb(255, 0, 255)}};
    for (const auto &n : numbers) {
        auto *label = makeLabel(this, QStringLiteral("Label4_%1").arg(n.index),
                                QStringLiteral("0"), n.left, 6885, 270, 210);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Forms::setDesignFont(label, QStringLiteral("Times New Roman"), 8.25);
        Forms::setForeColor(label, n.color);
        label->setIndex(n.index);
        Label4.set(n.index, label);
    }

    Label1 = makeLabel(this, QStringLiteral("Label1"), QString(), 540, 420, 8294, 630);
    Label1->setBorderStyle(1);
    Forms::setDesignFont(Label1, QStringLiteral("Times New Roman"), 26.25);
    Forms::setBackColor(Label1, rgb(192, 255, 255));

    Label10 = makeLabel(this, QStringLiteral("Label10"), QStringLiteral("Wordmoor 2.0"), 0, 0, 8970,
                        360);
    Label10->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(Label10, QStringLiteral("MS Sans Serif"), 13.5);
    Forms::setForeColor(Label10, rgb(128, 128, 255));
    Forms::setBackColor(Label10, rgb(255, 255, 192));

    auto *number0 = makeLabel(this, QStringLiteral("Label8_0"), QStringLiteral("  1.  "), 600, 1140,
                              510, 315);
    number0->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Forms::setDesignFont(number0, QStringLiteral("Times New Roman"), 14.25);
    Forms::setForeColor(number0, Qt::black);
    Forms::setBackColor(number0, kRowRest);
    number0->hide();
    Label8.set(0, number0);

    auto *row0 = makeLabel(this, QStringLiteral("Label2_0"), QStringLiteral("Label"), 1080, 1140,
                           615, 315);
    Forms::setDesignFont(row0, QStringLiteral("Times New Roman"), 14.25);
    Forms::setForeColor(row0, Qt::black);
    Forms::setBackColor(row0, kRowRest);
    row0->setAutoSize(true);
    row0->setCursor(Qt::PointingHandCursor);
    row0->hide();
    Label2.set(0, row0);

    Label9 = makeLabel(this, QStringLiteral("Label9"), QString(), 600, 2520, 8145, 2220);
    Label9->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(Label9, QStringLiteral("Microsoft Sans Serif"), 48);
    Forms::setForeColor(Label9, rgb(255, 255, 0));
    // The feedback lies over the rows; clicks must still reach them.
    Label9->setAttribute(Qt::WA_TransparentForMouseEvents);

    Image1 = makeLabel(this, QStringLiteral("Image1"), QString(), 135, 6885, 1800, 900);
    Image1->setPixmap(QPixmap(QStringLiteral(":/logo.png"))
                          .scaled(Forms::toPixels(1800), Forms::toPixels(900), Qt::KeepAspectRatio,
                                  Qt::SmoothTransformation));

    Label7 = makeLabel(this, QStringLiteral("Label7"),
                       QStringLiteral("Find every right rendering before the bar runs out"), 2025,
                       7605, 6795, 195);
    Label7->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(Label7, QStringLiteral("Microsoft Sans Serif"), 8.25);
    Forms::setForeColor(Label7, rgb(255, 0, 0));
    Forms::setBackColor(Label7, rgb(255, 255, 192));

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(false);
    Forms::setTwipGeometry(Combo1, 6750, 6840, 1035, 315);
    // Liberation Sans runs wider than the design font: a step smaller keeps "- Select -"
    // whole at the list's design width.
    Forms::setDesignFont(Combo1, QStringLiteral("MS Sans Serif"), 7.5);
    Forms::setBackColor(Combo1, rgb(192, 255, 255));

    Command2 = makeButton(this, QStringLiteral("Command2"), QStringLiteral("Start"), 7875, 6840, 960,
                          330);
    Command2->setEnabled(false);
    Command1 = makeButton(this, QStringLiteral("Command1"), QStringLiteral("Menu"), 6750, 7213, 1050,
                          330);
    Command3 = makeButton(this, QStringLiteral("Command3"), QStringLiteral("Stop"), 7875, 7213, 960,
                          330);
    Command3->setEnabled(false);

    setTabOrder(Command1, Combo1);
    setTabOrder(Combo1, Command2);
    setTabOrder(Command2, Command3);

    Timer1 = new Forms::Timer(this, 1000, false);
    Timer2 = new Forms::Timer(this, 0, false);
    Timer3 = new Forms::Timer(this, 0, false);

    connect(Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
    connect(Command1, &QPushButton::clicked, this, &Begin1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Begin1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Begin1::Command3_Click);
    connect(Timer1, &Forms::Timer::timeout, this, &Begin1::Timer1_Timer);
    connect(Timer2, &Forms::Timer::timeout, this, &Begin1::Timer2_Timer);
    connect(Timer3, &Forms::Timer::timeout, this, &Begin1::Timer3_Timer);
    connect(row0, &Label::mouseUp, this, &Begin1::Label2_MouseUp);
}

void Begin1::Form_Load()
{
    // Group discovery; selecting "- Select -" by code runs the list's click.
    Combo1->addItem(QStringLiteral("- Select -"));
    gGroupCount = static_cast<qint16>(WordFile::discoverGroups(gInstallPath));
    for (int a = 1; a <= gGroupCount; ++a) {
        Combo1->addItem(QStringLiteral("Group %1").arg(a));
    }
    Combo1->setCurrentIndex(0);
    Combo1_Click();

    gSpeed = 2;
    mLastRow = 14;
    for (int d = 1; d <= mLastRow; ++d) {
        // Numbers first, so that each candidate lies above the number it touches.
        for (auto *array : {&Label8, &Label2}) {
            Label *above = (*array)(d - 1);
            Label *member = (*array)(0)->cloneAsMember(d);
            Forms::setTwipGeometry(member, Forms::twipLeft(above),
                                   Forms::twipTop(above) + Forms::twipHeight(above) + 60,
                                   Forms::twipWidth((*array)(0)), Forms::twipHeight((*array)(0)));
            array->set(d, member);
        }
        Label8(d)->setCaption(QString::number(d + 1) + QLatin1String(".  "));
        connect(Label2(d), &Label::mouseUp, this, &Begin1::Label2_MouseUp);
    }
    // Rows lie under the feedback text until the first question sends it back.
    Label9->raise();
    mTimeStep = Speed::timeStepForIndex(1);
}

void Begin1::Combo1_Click()
{
    const int li = Combo1->currentIndex();
    if (li == 0) {
        Command2->setEnabled(false);
    } else if (li != gGroup) {
        Command2->setEnabled(true);
        Command3->setEnabled(false);
        const WordFile::Group group = WordFile::loadGroup(WordFile::groupPath(gInstallPath, li));
        if (group.status == WordFile::LoadStatus::OpenFailed) {
            Forms::msgBox(this, {QStringLiteral("Fail to find file 'ci%1'.").arg(li),
                                 QStringLiteral("Warning!"), Forms::Buttons::Ok,
                                 Forms::Icon::Exclamation, Forms::Answer::Ok});
            return;
        }
        if (group.status == WordFile::LoadStatus::TooManyEntries) {
            Forms::msgBox(this, {QStringLiteral("Group %1 cannot be loaded: %2").arg(li).arg(group.error),
                                 QStringLiteral("Warning!"), Forms::Buttons::Ok,
                                 Forms::Icon::Exclamation, Forms::Answer::Ok});
            return;
        }
        gGroup = static_cast<qint16>(li);
        mWords.clear();
        mWords.reserve(group.entries.size() + 1);
        mWords.append(QStringList()); // rows count from 1
        for (const WordFile::Entry &entry : group.entries) {
            mWords.append(QStringList{entry.word, entry.translations});
        }
        mWordCount = static_cast<qint16>(group.entries.size());
        Label1->setCaption(WordFile::groupLine(gGroup, mWordCount));
        setRecordItemEnabled();
        gLastPlace = 0;
    }
    if (gGroup > 0) {
        Command1->setFocus();
    }
}

void Begin1::Command1_Click()
{
    Forms::popupMenu(menuForm()->File, this,
                     QPoint(Forms::toPixels(Forms::twipLeft(Command1)),
                            Forms::toPixels(Forms::twipTop(Command1))));
}

bool Begin1::refuseStart()
{
    QString reason;
    if (gGroup == 0) {
        reason = QStringLiteral("No group is loaded, so no run can start. Choose a group whose "
                                "file can be read.");
    } else if (mWordCount < 2) {
        reason = QStringLiteral("Group %1 cannot be started: a run needs at least 2 words, and "
                                "ci%1 holds %2.")
                     .arg(gGroup)
                     .arg(mWordCount);
    } else if (const int entry = Questions::firstOverlongEntry(mWords, 14)) {
        reason = QStringLiteral("Group %1 cannot be started: the word '%2' (line %3 of ci%1) has "
                                "%4 translations; a word may have at most 14.")
                     .arg(gGroup)
                     .arg(mWords[entry][0])
                     .arg(2 * entry - 1)
                     .arg(Questions::countPieces(mWords[entry][1]));
    }
    if (reason.isEmpty()) {
        return false;
    }
    Forms::msgBox(this, {reason, QStringLiteral("Warning!"), Forms::Buttons::Ok,
                         Forms::Icon::Exclamation, Forms::Answer::Ok});
    return true;
}

void Begin1::Command2_Click()
{
    if (refuseStart()) {
        return;
    }
    Command2->setEnabled(false);
    Command3->setEnabled(true);
    Combo1->setEnabled(false);
    setSettingItemEnabled(false);

    Random &random = programRandom();
    random.seedFromClock();
    mQuestion = 0;
    const QVector<int> order = Questions::shuffledOrder(random, mWordCount);
    mQuestions.clear();
    mQuestions.reserve(mWordCount + 1);
    mQuestions.append(QStringList());
    for (int entry : order) {
        mQuestions.append(mWords[entry]);
    }
    Common04();
}

void Begin1::Common04()
{
    mAnswers.clear();
    Random &random = programRandom();
    random.seedFromClock();
    Label9->clear();

    ++mQuestion;
    const Questions::Question q =
        Questions::buildQuestion(random, mQuestions, mQuestion, mLastRow);
    Label1->setCaption(q.word);

    const int k = static_cast<int>(q.translations.size());
    mAnswers.append(QStringList());
    for (int j = 0; j < k; ++j) {
        mAnswers.append(QStringList{QString(), q.translations[j], QString::number(q.answerRows[j])});
    }
    mToFind = static_cast<qint16>(k);
    mAnswerCount = static_cast<qint16>(k);
    mCoverStep = static_cast<float>(kCoverFull / k - 13.0);

    for (int g = 0; g <= mLastRow; ++g) {
        Label2(g)->setCaption(q.captions[g]);
        Label2(g)->setTag(q.tags[g]);
        Label2(g)->show();
        Label8(g)->show();
    }

    setTimeBarWidth(static_cast<float>(kEmptyBar));
    Forms::setTwipHeight(Label5(3), kCoverFull);
    Label5(3)->show();
    Label4(3)->setCaption(NumText::decimalText(mWrong + mCorrect + 1));
    Timer1->setEnabled(true);
    mAnswering = true;
    Label9->lower();
}

void Begin1::Label2_MouseUp(int index, Qt::MouseButton, Qt::KeyboardModifiers, double, double)
{
    if (!mAnswering || !Label2.contains(index)) {
        return;
    }
    Label *row = Label2(index);
    const QString &word = mQuestions[mQuestion][0];
    // An empty word line would make every distractor's empty tag match; only the rows
    // the builder placed translations on count as right.
    if (row->tag() == word && isAnswerRow(index)) {
        if (Forms::backColor(row) == kRowFound) {
            return;
        }
        if (mToFind <= 1) {
            ++mCorrect;
            Label9->setCaption(feedback("Good job!", QStringLiteral("正确！")));
            EndQuestion();
        } else {
            --mToFind;
            Forms::setBackColor(row, kRowFound);
        }
        Label4(0)->setCaption(NumText::decimalText(mCorrect));
        const double height = Forms::twipHeight(Label5(3)) - mCoverStep;
        Forms::setTwipHeight(Label5(3), height);
        if (height < kCoverGone) {
            Label5(3)->hide();
        }
        return;
    }
    ++mWrong;
    Label9->setCaption(feedback("Be careful!", QStringLiteral("仔细点！")));
    Label4(1)->setCaption(NumText::decimalText(mWrong));
    Forms::setBackColor(row, kRowRest);
    EndQuestion();
}

void Begin1::Timer1_Timer()
{
    if (mElapsedWidth >= kTimeUp) {
        Timer1->setEnabled(false);
        ++mWrong;
        if (mToFind == mAnswerCount) {
            Label9->setCaption(feedback("Carry on!", QStringLiteral("继续努力！")));
        } else {
            Label9->setCaption(feedback("Hurry up!", QStringLiteral("动作快点！")));
        }
        Label4(1)->setCaption(NumText::decimalText(mWrong));
        EndQuestion();
        return;
    }
    setTimeBarWidth(mElapsedWidth + mTimeStep);
}

void Begin1::Timer2_Timer()
{
    Timer2->setEnabled(false);
    Common04();
}

void Begin1::Timer3_Timer()
{
    Timer3->setEnabled(false);
    Command3_Click();
}

bool Begin1::isAnswerRow(int row) const
{
    for (int j = 1; j <= mAnswerCount; ++j) {
        if (NumText::leadingNumber(mAnswers[j][2]) == row) {
            return true;
        }
    }
    return false;
}

void Begin1::Common02(qint16 index)
{
    mTimeStep = Speed::timeStepForIndex(index);
    gSpeed = static_cast<qint16>(index + 1);
    Label6->setCaption(Speed::wordForSpeed(gSpeed));
}

void Begin1::EndQuestion()
{
    mAnswering = false;
    Timer1->setEnabled(false);
    for (int i = 0; i <= mLastRow; ++i) {
        if (isAnswerRow(i)) {
            Forms::setBackColor(Label2(i), kRowRest);
            Label2(i)->show();
        } else {
            Label2(i)->hide();
        }
    }
    const double rate = mCorrect * 100.0 / (mCorrect + mWrong);
    Label4(2)->setCaption(NumText::decimalText(NumText::roundHalfEven(rate)));

    Forms::Timer *pause = (mCorrect + mWrong == mWordCount) ? Timer3 : Timer2;
    pause->setInterval(2000 * mAnswerCount);
    pause->setEnabled(true);
}

void Begin1::Command3_Click()
{
    Command3->setEnabled(false);
    Timer1->setEnabled(false);
    Timer2->setEnabled(false);
    Timer3->setEnabled(false);
    for (int i = 0; i <= mLastRow; ++i) {
        Label2(i)->hide();
        Label8(i)->hide();
        Forms::setBackColor(Label2(i), kRowRest);
    }
    if (mQuestion > 1) {
        WriteRecord();
    }
    mCorrect = 0;
    mWrong = 0;
    Label9->clear();
    Label5(3)->hide();
    Forms::setTwipHeight(Label5(3), 13);
    setTimeBarWidth(static_cast<float>(kFullTimeBar));
    Label1->setCaption(WordFile::groupLine(gGroup, mWordCount));
    Command1->setEnabled(true);
    for (int i = 0; i < 4; ++i) {
        Label4(i)->setCaption(QStringLiteral("0"));
    }
    if (mQuestion > 1) {
        showRecordWindow();
    }
    if (!isLoaded()) {
        return; // the program was closed while the record window showed
    }
    Command2->setEnabled(true);
    Combo1->setEnabled(true);
    setSettingItemEnabled(true);
}

void Begin1::showRecordWindow()
{
    if (mOpenRecordWindow && mOpenRecordWindow->isLoaded()) {
        // Opened from the menu during the run: show the new result there, not in a
        // second window on top of it.
        mOpenRecordWindow->showDrillGroup();
        return;
    }
    auto *window = Forms::loadForm<Dialog1>(this);
    Forms::showModal(window);
}

void Begin1::WriteRecord()
{
    const auto correct = static_cast<qint32>(NumText::leadingNumber(Label4(0)->caption()));
    const auto wrong = static_cast<qint32>(NumText::leadingNumber(Label4(1)->caption()));
    const auto rate = static_cast<qint32>(NumText::leadingNumber(Label4(2)->caption()));
    gLastPlace = 0;
    const RecordFile::SaveResult result = RecordFile::saveRun(
        RecordFile::recordPath(gInstallPath, gGroup), correct, wrong, rate, gSpeed);
    if (!result.ok) {
        Forms::msgBox(this, {QStringLiteral("The record of group %1 could not be saved: %2")
                                 .arg(gGroup)
                                 .arg(result.error),
                             QStringLiteral("Warning!"), Forms::Buttons::Ok,
                             Forms::Icon::Exclamation, Forms::Answer::Ok});
        return;
    }
    gLastPlace = result.place;
}

void Begin1::Form_Unload()
{
    Timer1->setEnabled(false);
    Timer2->setEnabled(false);
    Timer3->setEnabled(false);
    mAnswering = false;
    if (mQuestion > 1) {
        WriteRecord();
    }
}

void Begin1::closeFromFrame()
{
    // Closing the window goes through the confirmed Exit, so no result is lost.
    menuForm()->Exit_Click();
}

Form1 *Begin1::menuForm()
{
    if (!m_form1) {
        m_form1 = new Form1(this);
        m_form1->load();
    }
    return m_form1;
}

void Begin1::setRecordItemEnabled()
{
    menuForm()->Record->setEnabled(true);
}

void Begin1::setSettingItemEnabled(bool enabled)
{
    // Off for exactly the length of a run, so the speed cannot change within one.
    menuForm()->Setting->setEnabled(enabled);
}

void Begin1::setTimeBarWidth(float width)
{
    mElapsedWidth = width;
    Forms::setTwipWidth(Label5(0), width);
}

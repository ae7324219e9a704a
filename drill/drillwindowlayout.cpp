// The drill window's controls, laid out as its design table gives them (twips).
#include "drill/drillwindow.h"

#include <QPixmap>

using Forms::Label;
using Forms::rgb;

namespace
{

const QColor kRowRest(192, 255, 192);

Label *makeLabel(QWidget *parent, const QString &name, const QString &caption, double left,
                 double top, double width, double height)
{
    auto *label = new Label(parent, caption);
    label->setObjectName(name);
    Forms::setTwipGeometry(label, left, top, width, height);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, double left,
                        double top, double width, double height)
{
    return Forms::makeButton(parent, name, caption, left, top, width, height,
                             QStringLiteral("MS Sans Serif"), 8.25);
}

} // namespace

void DrillWindow::buildControls()
{
    // The window's layout, back to front (later controls lie on top).
    rowFrame = new QFrame(this);
    rowFrame->setObjectName(QStringLiteral("rowFrame"));
    rowFrame->setFrameShape(QFrame::Box);
    rowFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    Forms::setTwipGeometry(rowFrame, 540, 1080, 8295, 5715);

    progressBar = makeLabel(this, QStringLiteral("progressBar"), QString(), 120, 450, 330, 6330);
    Forms::setBackColor(progressBar, rgb(255, 128, 0));
    progressCover = makeLabel(this, QStringLiteral("progressCover"), QString(), 120, 450, 330, 13);
    Forms::setBackColor(progressCover, rgb(192, 255, 255));
    progressCover->hide();
    timeBarBackground =
        makeLabel(this, QStringLiteral("timeBarBackground"), QString(), 2025, 7155, 4635, 345);
    Forms::setBackColor(timeBarBackground, rgb(192, 255, 255));
    timeBar = makeLabel(this, QStringLiteral("timeBar"), QString(), 2025, 7155, 4635, 345);
    Forms::setBackColor(timeBar, rgb(255, 192, 192));
    Forms::setDesignFont(timeBar, QStringLiteral("Times New Roman"), 10.5);

    speedLabel = makeLabel(this, QStringLiteral("speedLabel"), QStringLiteral("Normal"), 2070,
                           7245, 4560, 195);
    speedLabel->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(speedLabel, QStringLiteral("Microsoft Sans Serif"), 8.25);
    Forms::setForeColor(speedLabel, Qt::black);
    speedLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    scoreCaption = makeLabel(
        this, QStringLiteral("scoreCaption"),
        QStringLiteral(
            "  No.         Correct:         Wrong:         Correctness Rate:        %  "),
        2025, 6885, 4635, 195);
    Forms::setDesignFont(scoreCaption, QStringLiteral("Microsoft Sans Serif"), 8.25);
    Forms::setBackColor(scoreCaption, rgb(192, 255, 192));
    const struct {
        Label *DrillWindow::*label;
        const char *name;
        double left;
        QColor color;
    } numbers[] = {
        {&DrillWindow::questionNumberLabel, "questionNumberLabel", 2385, rgb(0, 0, 255)},
        {&DrillWindow::correctLabel, "correctLabel", 3330, rgb(0, 64, 0)},
        {&DrillWindow::wrongLabel, "wrongLabel", 4275, rgb(255, 0, 0)},
        {&DrillWindow::rateLabel, "rateLabel", 5985, rgb(255, 0, 255)}};
    for (const auto &n : numbers) {
        Label *label =
            makeLabel(this, QLatin1String(n.name), QStringLiteral("0"), n.left, 6885, 270, 210);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Forms::setDesignFont(label, QStringLiteral("Times New Roman"), 8.25);
        Forms::setForeColor(label, n.color);
        this->*n.label = label;
    }

    questionLabel =
        makeLabel(this, QStringLiteral("questionLabel"), QString(), 540, 420, 8294, 630);
    questionLabel->setBorderStyle(1);
    Forms::setDesignFont(questionLabel, QStringLiteral("Times New Roman"), 26.25);
    Forms::setBackColor(questionLabel, rgb(192, 255, 255));

    titleStrip = makeLabel(this, QStringLiteral("titleStrip"), QStringLiteral("Wordmoor 2.0"), 0,
                           0, 8970, 360);
    titleStrip->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(titleStrip, QStringLiteral("MS Sans Serif"), 13.5);
    Forms::setForeColor(titleStrip, rgb(128, 128, 255));
    Forms::setBackColor(titleStrip, rgb(255, 255, 192));

    Label *number = makeLabel(this, QStringLiteral("rowNumber_0"), QStringLiteral("  1.  "), 600,
                              1140, 510, 315);
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Forms::setDesignFont(number, QStringLiteral("Times New Roman"), 14.25);
    Forms::setForeColor(number, Qt::black);
    Forms::setBackColor(number, kRowRest);
    number->hide();
    rowNumbers.set(0, number);

    Label *row = makeLabel(this, QStringLiteral("candidateRow_0"), QStringLiteral("Label"), 1080,
                           1140, 615, 315);
    Forms::setDesignFont(row, QStringLiteral("Times New Roman"), 14.25);
    Forms::setForeColor(row, Qt::black);
    Forms::setBackColor(row, kRowRest);
    row->setAutoSize(true);
    row->setCursor(Qt::PointingHandCursor);
    row->hide();
    candidateRows.set(0, row);

    feedbackLabel =
        makeLabel(this, QStringLiteral("feedbackLabel"), QString(), 600, 2520, 8145, 2220);
    feedbackLabel->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(feedbackLabel, QStringLiteral("Microsoft Sans Serif"), 48);
    Forms::setForeColor(feedbackLabel, rgb(255, 255, 0));
    // The feedback lies over the rows; clicks must still reach them.
    feedbackLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    logo = makeLabel(this, QStringLiteral("logo"), QString(), 135, 6885, 1800, 900);
    logo->setPixmap(QPixmap(QStringLiteral(":/logo.png"))
                        .scaled(Forms::toPixels(1800), Forms::toPixels(900), Qt::KeepAspectRatio,
                                Qt::SmoothTransformation));

    banner = makeLabel(this, QStringLiteral("banner"),
                       QStringLiteral("Find every right rendering before the bar runs out"), 2025,
                       7605, 6795, 195);
    banner->setAlignment(Qt::AlignCenter);
    Forms::setDesignFont(banner, QStringLiteral("Microsoft Sans Serif"), 8.25);
    Forms::setForeColor(banner, rgb(255, 0, 0));
    Forms::setBackColor(banner, rgb(255, 255, 192));

    groupList = new QComboBox(this);
    groupList->setObjectName(QStringLiteral("groupList"));
    groupList->setEditable(false);
    Forms::setTwipGeometry(groupList, 6750, 6840, 1035, 315);
    // Liberation Sans runs wider than the design font: a step smaller keeps "- Select -"
    // whole at the list's design width.
    Forms::setDesignFont(groupList, QStringLiteral("MS Sans Serif"), 7.5);
    Forms::setBackColor(groupList, rgb(192, 255, 255));

    startButton = makeButton(this, QStringLiteral("startButton"), QStringLiteral("Start"), 7875,
                             6840, 960, 330);
    startButton->setEnabled(false);
    menuButton = makeButton(this, QStringLiteral("menuButton"), QStringLiteral("Menu"), 6750, 7213,
                            1050, 330);
    stopButton = makeButton(this, QStringLiteral("stopButton"), QStringLiteral("Stop"), 7875, 7213,
                            960, 330);
    stopButton->setEnabled(false);

    setTabOrder(menuButton, groupList);
    setTabOrder(groupList, startButton);
    setTabOrder(startButton, stopButton);

    questionClock = new Forms::Timer(this, 1000, false);
    questionClock->setObjectName(QStringLiteral("questionClock"));
    nextQuestionPause = new Forms::Timer(this, 0, false);
    nextQuestionPause->setObjectName(QStringLiteral("nextQuestionPause"));
    stopPause = new Forms::Timer(this, 0, false);
    stopPause->setObjectName(QStringLiteral("stopPause"));
    secondDigitWait = new Forms::Timer(this, 500, false);
    secondDigitWait->setObjectName(QStringLiteral("secondDigitWait"));
    // The rows take the keys during a question without entering the buttons' tab order.
    rowFrame->setFocusPolicy(Qt::ClickFocus);
    rowFrame->setAccessibleName(QStringLiteral("Candidate rows"));

    connect(groupList, &QComboBox::activated, this, [this](int) { loadChosenGroup(); });
    connect(menuButton, &QPushButton::clicked, this, &DrillWindow::openMenu);
    connect(startButton, &QPushButton::clicked, this, &DrillWindow::startRun);
    connect(stopButton, &QPushButton::clicked, this, &DrillWindow::stopRun);
    connect(questionClock, &Forms::Timer::timeout, this, &DrillWindow::tickClock);
    connect(nextQuestionPause, &Forms::Timer::timeout, this,
            &DrillWindow::endPauseBeforeNextQuestion);
    connect(stopPause, &Forms::Timer::timeout, this, &DrillWindow::endPauseBeforeStop);
    connect(secondDigitWait, &Forms::Timer::timeout, this, &DrillWindow::endSecondDigitWait);
}

void DrillWindow::buildRows()
{
    for (int d = 1; d <= DrillRun::kLastRow; ++d) {
        // Numbers first, so that each candidate lies above the number it touches.
        for (auto *array : {&rowNumbers, &candidateRows}) {
            Label *above = (*array)(d - 1);
            Label *member = (*array)(0)->cloneAsMember(d);
            Forms::setTwipGeometry(member, Forms::twipLeft(above),
                                   Forms::twipTop(above) + Forms::twipHeight(above) + 60,
                                   Forms::twipWidth((*array)(0)), Forms::twipHeight((*array)(0)));
            array->set(d, member);
        }
        rowNumbers(d)->setCaption(QString::number(d + 1) + QLatin1String(".  "));
    }
    // Screen readers walk the rows as one list over their frame, each row read with its
    // number once; the labels themselves leave the window's tree.
    QList<QWidget *> covered;
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        covered << candidateRows(r) << rowNumbers(r);
    }
    Forms::exposeAsList(rowFrame, this, covered);
    Forms::exposeAsProgressBar(
        timeBarBackground, QStringLiteral("Seconds left"),
        [this] {
            return m_run.clockShown() ? m_run.questionSeconds() - m_run.elapsedSeconds() : 0;
        },
        [this] { return m_run.questionSeconds(); });
    // The caption of the score line and the growing bar say nothing the figures' names and
    // the time bar's value do not.
    Forms::hideFromScreenReaders({scoreCaption, timeBar});
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        // Any mouse button judges, wherever on the row it is released.
        connect(candidateRows(r), &Label::mouseUp, this, [this](int index) { judgeRow(index); });
    }
}

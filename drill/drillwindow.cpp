#include "drill/drillwindow.h"

#include "base/numtext.h"
#include "drill/wordfile.h"
#include "records/recordfile.h"
#include "records/recordwindow.h"
#include "settings/speed.h"
#include "shell/programmenu.h"
#include "shell/programstate.h"

#include <QPixmap>

using Forms::Label;
using Forms::rgb;

namespace {

const QColor kRowRest(192, 255, 192);
const QColor kRowFound(255, 192, 192);

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

void showWarning(QWidget *owner, const QString &text)
{
    Forms::msgBox(owner, {text, QStringLiteral("Warning!"), Forms::Buttons::Ok,
                          Forms::Icon::Exclamation, Forms::Answer::Ok});
}

} // namespace

DrillWindow::DrillWindow(ProgramState &state, QWidget *owner)
    : Forms::Form(owner, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("drillWindow"));
    setWindowTitle(QStringLiteral("Wordmoor"));
    Forms::setClientSizeTwips(this, 8955, 7890);
    Forms::setBackColor(this, rgb(0, 192, 0));
    buildControls();
}

DrillWindow::~DrillWindow() = default;

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
    progressCover =
        makeLabel(this, QStringLiteral("progressCover"), QString(), 120, 450, 330, 13);
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
        QStringLiteral("  No.         Correct:         Wrong:         Correctness Rate:        %  "),
        2025, 6885, 4635, 195);
    Forms::setDesignFont(scoreCaption, QStringLiteral("Microsoft Sans Serif"), 8.25);
    Forms::setBackColor(scoreCaption, rgb(192, 255, 192));
    const struct
    {
        Label *DrillWindow::*label;
        const char *name;
        double left;
        QColor color;
    } numbers[] = {{&DrillWindow::questionNumberLabel, "questionNumberLabel", 2385, rgb(0, 0, 255)},
                   {&DrillWindow::correctLabel, "correctLabel", 3330, rgb(0, 64, 0)},
                   {&DrillWindow::wrongLabel, "wrongLabel", 4275, rgb(255, 0, 0)},
                   {&DrillWindow::rateLabel, "rateLabel", 5985, rgb(255, 0, 255)}};
    for (const auto &n : numbers) {
        Label *label = makeLabel(this, QLatin1String(n.name), QStringLiteral("0"), n.left, 6885,
                                 270, 210);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Forms::setDesignFont(label, QStringLiteral("Times New Roman"), 8.25);
        Forms::setForeColor(label, n.color);
        this->*n.label = label;
    }

    questionLabel = makeLabel(this, QStringLiteral("questionLabel"), QString(), 540, 420, 8294, 630);
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

    connect(groupList, &QComboBox::activated, this, [this](int) { loadChosenGroup(); });
    connect(menuButton, &QPushButton::clicked, this, &DrillWindow::openMenu);
    connect(startButton, &QPushButton::clicked, this, &DrillWindow::startRun);
    connect(stopButton, &QPushButton::clicked, this, &DrillWindow::stopRun);
    connect(questionClock, &Forms::Timer::timeout, this, &DrillWindow::tickClock);
    connect(nextQuestionPause, &Forms::Timer::timeout, this,
            &DrillWindow::endPauseBeforeNextQuestion);
    connect(stopPause, &Forms::Timer::timeout, this, &DrillWindow::endPauseBeforeStop);
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
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        // Any mouse button judges, wherever on the row it is released.
        connect(candidateRows(r), &Label::mouseUp, this, [this](int index) { judgeRow(index); });
    }
}

void DrillWindow::onLoad()
{
    // Group discovery; selecting "- Select -" by code loads as a choice would.
    groupList->addItem(QStringLiteral("- Select -"));
    m_state.groupCount = static_cast<qint16>(WordFile::discoverGroups(m_state.installPath));
    for (int a = 1; a <= m_state.groupCount; ++a) {
        groupList->addItem(QStringLiteral("Group %1").arg(a));
    }
    groupList->setCurrentIndex(0);
    loadChosenGroup();

    m_state.speed = 2;
    buildRows();
    // Rows lie under the feedback text until the first question sends it back.
    feedbackLabel->raise();
    m_run.setSpeedOption(1);
}

void DrillWindow::loadChosenGroup()
{
    const int chosen = groupList->currentIndex();
    if (chosen == 0) {
        startButton->setEnabled(false);
    } else if (chosen != m_state.group) {
        startButton->setEnabled(true);
        stopButton->setEnabled(false);
        const WordFile::Group group =
            WordFile::loadGroup(WordFile::groupPath(m_state.installPath, chosen));
        if (group.status == WordFile::LoadStatus::OpenFailed) {
            showWarning(this, QStringLiteral("Fail to find file 'ci%1'.").arg(chosen));
            return;
        }
        if (group.status == WordFile::LoadStatus::TooManyEntries) {
            showWarning(this, QStringLiteral("Group %1 cannot be loaded: %2")
                                  .arg(chosen)
                                  .arg(group.error));
            return;
        }
        m_state.group = static_cast<qint16>(chosen);
        m_run.setWords(group.entries);
        questionLabel->setCaption(WordFile::groupLine(m_state.group, m_run.wordCount()));
        programMenu()->recordItem->setEnabled(true);
        m_state.lastPlace = 0;
    }
    if (m_state.group > 0) {
        menuButton->setFocus();
    }
}

void DrillWindow::openMenu()
{
    Forms::popupMenu(programMenu()->fileMenu, this,
                     QPoint(Forms::toPixels(Forms::twipLeft(menuButton)),
                            Forms::toPixels(Forms::twipTop(menuButton))));
}

void DrillWindow::startRun()
{
    const QString refusal = m_run.refusal(m_state.group);
    if (!refusal.isEmpty()) {
        showWarning(this, refusal);
        return;
    }
    startButton->setEnabled(false);
    stopButton->setEnabled(true);
    groupList->setEnabled(false);
    setSettingItemEnabled(false);
    m_run.start();
    showQuestion();
}

void DrillWindow::showQuestion()
{
    questionLabel->setCaption(m_run.questionWord());
    showRunState();
    feedbackLabel->lower();
    syncTimers();
}

void DrillWindow::showRunState()
{
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        const DrillRun::Row &row = m_run.row(r);
        Label *label = candidateRows(r);
        if (label->caption() != row.caption) {
            label->setCaption(row.caption);
        }
        Forms::setBackColor(label, row.found ? kRowFound : kRowRest);
        label->setVisible(row.shown);
        rowNumbers(r)->setVisible(m_run.rowNumbersShown());
    }
    feedbackLabel->setCaption(m_run.feedback());
    Forms::setTwipHeight(progressCover, m_run.coverHeight());
    progressCover->setVisible(m_run.coverShown());
    Forms::setTwipWidth(timeBar, m_run.timeBarWidth());
    questionNumberLabel->setCaption(NumText::decimalText(m_run.shownQuestionNumber()));
    correctLabel->setCaption(NumText::decimalText(m_run.correct()));
    wrongLabel->setCaption(NumText::decimalText(m_run.wrong()));
    rateLabel->setCaption(NumText::decimalText(m_run.rate()));
}

void DrillWindow::syncTimers()
{
    // A pause already under way keeps its own start; only a new one is armed.
    const auto arm = [](Forms::Timer *timer, bool on, int ms) {
        if (!on) {
            timer->setEnabled(false);
        } else if (!timer->isEnabled()) {
            timer->setInterval(ms);
            timer->setEnabled(true);
        }
    };
    questionClock->setEnabled(m_run.isAnswering());
    arm(nextQuestionPause, m_run.pause() == DrillRun::Pause::BeforeNextQuestion, m_run.pauseMs());
    arm(stopPause, m_run.pause() == DrillRun::Pause::BeforeStop, m_run.pauseMs());
}

void DrillWindow::judgeRow(int row)
{
    const DrillRun::Judgement judgement = m_run.judgeRow(row);
    if (judgement == DrillRun::Judgement::Ignored ||
        judgement == DrillRun::Judgement::AlreadyFound) {
        return;
    }
    showRunState();
    syncTimers();
}

void DrillWindow::tickClock()
{
    const bool timedOut = m_run.tickClock();
    showRunState();
    if (timedOut) {
        syncTimers();
    }
}

void DrillWindow::endPauseBeforeNextQuestion()
{
    nextQuestionPause->setEnabled(false);
    m_run.openNextQuestion();
    showQuestion();
}

void DrillWindow::endPauseBeforeStop()
{
    stopPause->setEnabled(false);
    stopRun();
}

void DrillWindow::applySpeed(int optionIndex)
{
    m_run.setSpeedOption(optionIndex);
    m_state.speed = static_cast<qint16>(optionIndex + 1);
    speedLabel->setCaption(Speed::wordForSpeed(m_state.speed));
}

void DrillWindow::stopRun()
{
    stopButton->setEnabled(false);
    questionClock->setEnabled(false);
    nextQuestionPause->setEnabled(false);
    stopPause->setEnabled(false);
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        candidateRows(r)->hide();
        rowNumbers(r)->hide();
        Forms::setBackColor(candidateRows(r), kRowRest);
    }
    const bool worthSaving = m_run.passedFirstQuestion();
    if (worthSaving) {
        saveRun();
    }
    m_run.stop();
    showRunState();
    questionLabel->setCaption(WordFile::groupLine(m_state.group, m_run.wordCount()));
    menuButton->setEnabled(true);
    if (worthSaving) {
        showRecordWindow();
    }
    if (!isLoaded()) {
        return; // the program was closed while the record window showed
    }
    startButton->setEnabled(true);
    groupList->setEnabled(true);
    setSettingItemEnabled(true);
}

void DrillWindow::showRecordWindow()
{
    if (openRecordWindow && openRecordWindow->isLoaded()) {
        // Opened from the menu during the run: show the new result there, not in a
        // second window on top of it.
        openRecordWindow->showDrillGroup();
        return;
    }
    Forms::showModal(Forms::loadForm<RecordWindow>(m_state, this));
}

void DrillWindow::saveRun()
{
    const DrillRun::Result result = m_run.result();
    m_state.lastPlace = 0;
    const RecordFile::SaveResult saved =
        RecordFile::saveRun(RecordFile::recordPath(m_state.installPath, m_state.group),
                            result.correct, result.wrong, result.rate, m_state.speed);
    if (!saved.ok) {
        showWarning(this, QStringLiteral("The record of group %1 could not be saved: %2")
                              .arg(m_state.group)
                              .arg(saved.error));
        return;
    }
    m_state.lastPlace = saved.place;
}

void DrillWindow::onUnload()
{
    questionClock->setEnabled(false);
    nextQuestionPause->setEnabled(false);
    stopPause->setEnabled(false);
    if (m_run.passedFirstQuestion()) {
        saveRun();
    }
}

void DrillWindow::closeFromFrame()
{
    // Closing the window goes through the confirmed Exit, so no result is lost.
    programMenu()->exitProgram();
}

ProgramMenu *DrillWindow::programMenu()
{
    if (!m_menu) {
        m_menu = new ProgramMenu(this);
        m_menu->load();
    }
    return m_menu;
}

void DrillWindow::setSettingItemEnabled(bool enabled)
{
    // Off for exactly the length of a run, so the speed cannot change within one.
    programMenu()->settingItem->setEnabled(enabled);
}

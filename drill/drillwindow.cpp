#include "drill/drillwindow.h"

#include "base/numtext.h"
#include "drill/wordfile.h"
#include "records/recordfile.h"
#include "records/recordwindow.h"
#include "settings/speed.h"
#include "shell/programmenu.h"
#include "shell/programstate.h"

#include <QKeyEvent>

using Forms::Label;
using Forms::rgb;

namespace
{

const QColor kRowRest(192, 255, 192);
const QColor kRowFound(255, 192, 192);

void showWarning(QWidget *owner, const QString &text)
{
    Forms::msgBox(owner, {text, QStringLiteral("Warning!"), Forms::Buttons::Ok,
                          Forms::Icon::Exclamation, Forms::Answer::Ok});
}

} // namespace

// A dialog-type window: window systems keep it above its owner, the backdrop, only then
// (Qt's X11 platform marks plain windows as transient for nobody).
DrillWindow::DrillWindow(ProgramState &state, QWidget *owner)
    : Forms::Form(owner, Qt::Dialog), m_state(state)
{
    setObjectName(QStringLiteral("drillWindow"));
    setWindowTitle(QStringLiteral("Wordmoor"));
    Forms::setClientSizeTwips(this, 8955, 7890);
    Forms::setBackColor(this, rgb(0, 192, 0));
    buildControls();
}

DrillWindow::~DrillWindow() = default;

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
        if (group.status != WordFile::LoadStatus::Ok) {
            showWarning(this, group.status == WordFile::LoadStatus::OpenFailed
                                  ? QStringLiteral("Fail to find file 'ci%1'.").arg(chosen)
                                  : QStringLiteral("Group %1 cannot be loaded: %2")
                                        .arg(chosen)
                                        .arg(group.error));
            // The list names the group that Start would run, never the refused one.
            groupList->setCurrentIndex(m_state.group);
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
    m_markedRow = -1;
    m_rowNumberEntry.clear();
    secondDigitWait->setEnabled(false);
    questionLabel->setCaption(m_run.questionWord());
    showRunState();
    feedbackLabel->lower();
    syncTimers();
    // The keys act on the rows at once, without a click into the window first.
    rowFrame->setFocus();
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
        const int border = r == m_markedRow && m_run.isAnswering() ? 1 : 0;
        if (label->borderStyle() != border) {
            label->setBorderStyle(border); // it refits the label to its text
        }
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
    describeRowsForAssistiveTechnology();
}

void DrillWindow::describeRowsForAssistiveTechnology()
{
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        const DrillRun::Row &row = m_run.row(r);
        QString name = QStringLiteral("%1. %2").arg(r + 1).arg(row.caption.trimmed());
        if (row.found) {
            name += QStringLiteral(", found");
        }
        if (r == m_markedRow && m_run.isAnswering()) {
            name += QStringLiteral(", marked");
        }
        Forms::setAccessibleText(candidateRows(r), name);
    }
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
    if (!m_run.isAnswering()) {
        // A pending 1 belongs to the question that just ended.
        m_rowNumberEntry.clear();
        secondDigitWait->setEnabled(false);
    }
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

void DrillWindow::keyPressEvent(QKeyEvent *event)
{
    // Keys reach the window from the rows, and digits also past a focused button; like a
    // click, a key does nothing while no question is open.
    const int key = event->key();
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    const bool moves =
        key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Home || key == Qt::Key_End;
    const bool judges = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!digit && !moves && !judges) {
        Forms::Form::keyPressEvent(event);
        return;
    }
    event->accept();
    if (digit) {
        typeRowDigit(key - Qt::Key_0);
    } else if (moves) {
        moveMark(key);
    } else {
        judgeMarkedRow();
    }
}

void DrillWindow::typeRowDigit(int digit)
{
    if (!m_run.isAnswering()) {
        return;
    }
    const QVector<int> numbers = m_rowNumberEntry.typeDigit(digit);
    secondDigitWait->setEnabled(false);
    if (m_rowNumberEntry.isWaiting()) {
        secondDigitWait->setEnabled(true);
    }
    judgeShownNumbers(numbers);
}

void DrillWindow::endSecondDigitWait()
{
    secondDigitWait->setEnabled(false);
    judgeShownNumbers(m_rowNumberEntry.endWait());
}

void DrillWindow::judgeShownNumbers(const QVector<int> &numbers)
{
    for (int number : numbers) {
        judgeRow(number - 1);
    }
}

void DrillWindow::moveMark(int key)
{
    if (!m_run.isAnswering()) {
        return;
    }
    QVector<int> shown;
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        if (m_run.row(r).shown) {
            shown.append(r);
        }
    }
    if (shown.isEmpty()) {
        return;
    }
    const int at = static_cast<int>(shown.indexOf(m_markedRow));
    if (key == Qt::Key_Home || (key == Qt::Key_Down && at < 0)) {
        m_markedRow = shown.first();
    } else if (key == Qt::Key_End || (key == Qt::Key_Up && at < 0)) {
        m_markedRow = shown.last();
    } else if (key == Qt::Key_Down) {
        m_markedRow = shown.at(qMin(at + 1, static_cast<int>(shown.size()) - 1));
    } else if (key == Qt::Key_Up) {
        m_markedRow = shown.at(qMax(at - 1, 0));
    }
    showRunState();
}

void DrillWindow::judgeMarkedRow()
{
    if (m_markedRow >= 0) {
        judgeRow(m_markedRow);
    }
}

void DrillWindow::tickClock()
{
    // A tick only grows the bar, unless the time is up and the question ends.
    if (!m_run.tickClock()) {
        Forms::setTwipWidth(timeBar, m_run.timeBarWidth());
        return;
    }
    showRunState();
    syncTimers();
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
    secondDigitWait->setEnabled(false);
    m_rowNumberEntry.clear();
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
    menuButton->setFocus();
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
    secondDigitWait->setEnabled(false);
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

#include "drill/drillwindow.h"

#include "base/numtext.h"
#include "base/programstate.h"
#include "drillcore/wordfile.h"
#include "recordkeeping/recordfile.h"
#include "records/recordwindow.h"

#include <QTimer>

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
    m_record.onWrite([this](const RecordFile::SaveResult &saved) { noteSave(saved); });
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

    buildRows();
    // Rows lie under the feedback text until the first question sends it back.
    feedbackLabel->raise();
    applySpeed(SpeedLevel::Normal);
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
        // The group it replaces goes once the new group line is on the screen.
        m_replacedWords = m_run.setWords(group.entries);
        QTimer::singleShot(1, this, [this] { m_replacedWords = {}; });
        questionLabel->setCaption(WordFile::groupLine(m_state.group, m_run.wordCount()));
        Forms::announce(this, QStringLiteral("Group %1, %2 words, %3")
                                  .arg(m_state.group)
                                  .arg(m_run.wordCount())
                                  .arg(questionLabel->caption()));
        emit groupLoaded();
        m_state.lastPlace = 0;
    }
    if (m_state.group > 0) {
        menuButton->setFocus();
    }
}

void DrillWindow::openMenu()
{
    emit menuRequested(QPoint(Forms::toPixels(Forms::twipLeft(menuButton)),
                              Forms::toPixels(Forms::twipTop(menuButton))));
}

void DrillWindow::startRun()
{
    if (!m_run.start(m_state.group)) {
        showWarning(this, m_run.refusal(m_state.group));
        return;
    }
    m_record.begin(RecordFile::recordPath(m_state.installPath, m_state.group));
    startButton->setEnabled(false);
    stopButton->setEnabled(true);
    groupList->setEnabled(false);
    // The speed cannot change within a run.
    emit runningChanged(true);
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
    // The keys act on the rows at once, without a click into the window first. A screen
    // reader reads the rows' name as they take the focus; already focused, they are
    // read nothing new, so the question is said.
    const QString question = QStringLiteral("Question %1: %2")
                                 .arg(m_run.shownQuestionNumber())
                                 .arg(m_run.questionWord());
    rowFrame->setAccessibleName(question);
    const bool hadFocus = rowFrame->hasFocus();
    rowFrame->setFocus();
    if (hadFocus) {
        Forms::announce(this, question);
    }
    emit wordToSay(m_run.questionWord());
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
    showBars();
    questionNumberLabel->setCaption(NumText::decimalText(m_run.shownQuestionNumber()));
    correctLabel->setCaption(NumText::decimalText(m_run.correct()));
    wrongLabel->setCaption(NumText::decimalText(m_run.wrong()));
    rateLabel->setCaption(NumText::decimalText(m_run.rate()));
    describeRowsForAssistiveTechnology();
}

void DrillWindow::showBars()
{
    // The time bar grows from a sliver by an equal step each second and is full between
    // runs; the cover over the progress bar shrinks by a step for each right row found.
    const double timeBarWidth =
        m_run.clockShown()
            ? kEmptyBar + m_run.elapsedSeconds() * (kFullTimeBar / m_run.questionSeconds())
            : kFullTimeBar;
    if (Forms::twipWidth(timeBar) != timeBarWidth) {
        Forms::setTwipWidth(timeBar, timeBarWidth);
    }
    double coverHeight = kEmptyBar;
    bool coverShown = m_run.coverShown();
    if (coverShown) {
        const double step = kFullCover / m_run.answerCount() - kEmptyBar;
        coverHeight = kFullCover - m_run.foundCount() * step;
        coverShown = coverHeight >= kCoverGone;
    }
    Forms::setTwipHeight(progressCover, coverHeight);
    progressCover->setVisible(coverShown);
}

QString DrillWindow::itemName(int index) const
{
    const DrillRun::Row &row = m_run.row(index);
    QString name = QStringLiteral("%1. %2").arg(index + 1).arg(row.caption.trimmed());
    if (row.found) {
        name += QStringLiteral(", found");
    }
    return name;
}

void DrillWindow::describeRowsForAssistiveTechnology()
{
    // Screen readers keep what they read of a row, so rows whose text changed are
    // presented afresh; the figures are named by what they count.
    QStringList names;
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        names << itemName(r);
    }
    if (names != m_rowNames) {
        m_rowNames = names;
        Forms::renewItems(rowFrame);
    }
    questionNumberLabel->setAccessibleName(
        QStringLiteral("Question %1").arg(m_run.shownQuestionNumber()));
    correctLabel->setAccessibleName(QStringLiteral("Correct %1").arg(m_run.correct()));
    wrongLabel->setAccessibleName(QStringLiteral("Wrong %1").arg(m_run.wrong()));
    rateLabel->setAccessibleName(QStringLiteral("Correctness rate %1 %").arg(m_run.rate()));
}

void DrillWindow::tellOutcome(DrillRun::Judgement judgement)
{
    if (judgement == DrillRun::Judgement::Found) {
        const int left = m_run.toFind();
        Forms::announce(this, QStringLiteral("found, %1 more to find").arg(left));
        return;
    }
    // The end of the question: the feedback, then the right answers the reveal shows.
    QStringList answers;
    for (int row : m_run.answerRows()) {
        answers << m_run.row(row).caption.trimmed();
    }
    QString feedback = m_run.feedback();
    Forms::announce(this, feedback.replace(QLatin1String("\r\n"), QLatin1String(" ")),
                    QStringLiteral("Right answers: %1").arg(answers.join(QLatin1String("; "))));
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
    tellOutcome(judgement);
}

void DrillWindow::tickClock()
{
    // A tick only grows the bar, unless the time is up and the question ends.
    if (!m_run.tickClock()) {
        showBars();
        return;
    }
    showRunState();
    syncTimers();
    tellOutcome(DrillRun::Judgement::Wrong);
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

void DrillWindow::applySpeed(SpeedLevel level)
{
    m_run.setSpeed(level);
    speedLabel->setCaption(Speed::caption(level));
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
    const bool worthSaving = m_run.hasResultToSave();
    if (worthSaving) {
        const RecordFile::SaveResult saved = saveRunInProgress();
        if (!saved.ok) {
            showWarning(this, QStringLiteral("The record of group %1 could not be saved: %2")
                                  .arg(m_state.group)
                                  .arg(saved.error));
        }
    }
    if (!isLoaded()) {
        return; // the program was ended while the warning showed
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
    emit runningChanged(false);
    menuButton->setFocus();
}

void DrillWindow::showRecordWindow()
{
    if (m_recordWindowForRunEnd && m_recordWindowForRunEnd->isLoaded()) {
        // Opened from the menu during the run: show the new result there, not in a
        // second window on top of it.
        m_recordWindowForRunEnd->showDrillGroup();
        return;
    }
    Forms::showModal(Forms::loadForm<RecordWindow>(m_state, this));
}

void DrillWindow::setRecordWindowForRunEnd(RecordWindow *window)
{
    m_recordWindowForRunEnd = window;
}

RecordWindow *DrillWindow::recordWindowForRunEnd() const
{
    return m_recordWindowForRunEnd;
}

RecordFile::SaveResult DrillWindow::saveRunInProgress()
{
    return m_record.save(runScore());
}

RecordFile::SaveResult DrillWindow::commitRunInProgress()
{
    return m_record.commit(runScore());
}

std::optional<RunRecord::Score> DrillWindow::runScore() const
{
    if (!m_run.hasResultToSave()) {
        return std::nullopt;
    }
    const DrillRun::Result result = m_run.result();
    return RunRecord::Score{result.correct, result.wrong, result.rate,
                            Speed::multiplier(m_run.speed())};
}

void DrillWindow::noteSave(const RecordFile::SaveResult &saved)
{
    m_state.lastPlace = saved.ok ? saved.place : 0;
    if (!saved.ok) {
        emit saveFailed(QStringLiteral("the record of group %1 could not be saved: %2")
                            .arg(m_state.group)
                            .arg(saved.error));
    }
}

void DrillWindow::onUnload()
{
    secondDigitWait->setEnabled(false);
    questionClock->setEnabled(false);
    nextQuestionPause->setEnabled(false);
    stopPause->setEnabled(false);
}

void DrillWindow::closeFromFrame()
{
    // Closing the window goes through the confirmed Exit, so no result is lost.
    emit closeRequested();
}

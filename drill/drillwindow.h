#pragma once

#include "base/random.h"
#include "base/speedlevel.h"
#include "drillcore/drillrun.h"
#include "drillcore/rownumberentry.h"
#include "forms/accessibility.h"
#include "forms/forms.h"
#include "recordkeeping/recordfile.h"
#include "recordkeeping/runrecord.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>

#include <optional>

class RecordWindow;
struct ProgramState;

// The drill window: the group list, Start, Stop and Menu, the question word, fifteen
// candidate rows, the score line, the time bar and the progress bar. It forwards clicks
// and timer ticks to the run's rules and shows what they report. What lies above it (the
// menu, the end of the program) it reaches through its signals only.
class DrillWindow : public Forms::Form, private Forms::ItemList
{
    Q_OBJECT
public:
    // Lengths of the bars, in twips as the window lays them out.
    static constexpr double kFullTimeBar = 4635.0;
    static constexpr double kEmptyBar = 13.0;
    static constexpr double kFullCover = 6330.0;
    static constexpr double kCoverGone = 130.0;

    explicit DrillWindow(ProgramState &state, QWidget *owner = nullptr);
    ~DrillWindow() override;

    // What the controls do; tests call them directly.
    void loadChosenGroup();
    void openMenu();
    void startRun();
    void stopRun();
    void judgeRow(int row);
    void tickClock();                  // a second of the open question
    void endPauseBeforeNextQuestion(); // opens the next question
    void endPauseBeforeStop();         // the group's last question was asked
    void applySpeed(SpeedLevel level);
    // The one way a run's result reaches its record: saves a run in progress that has
    // passed its first question, once. Stop calls it, and so does the end of the program;
    // nothing is shown, the caller reports a failure. A second call gives the first one's
    // outcome again: the run is neither written twice nor retried.
    RecordFile::SaveResult saveRunInProgress();
    // Saves the run so far but lets it go on (the desktop session asks its programs to
    // commit their data, and the logout may yet be cancelled). A later save of the same
    // run takes the place of this one in the record, so the run is recorded once, with
    // the numbers it has when it ends.
    RecordFile::SaveResult commitRunInProgress();
    // Answering from the keyboard: a row's number as shown beside it, or a mark moved
    // with the arrow keys and judged with Space or Enter.
    void typeRowDigit(int digit);
    void endSecondDigitWait(); // a lone 1 means row 1
    void moveMark(int key);    // Up, Down, Home or End
    void judgeMarkedRow();
    void sayWordAgain();                          // the S key
    int markedRow() const { return m_markedRow; } // -1 for none

    ProgramState &state() { return m_state; }
    const DrillRun &run() const { return m_run; }
    // Tests make the draws repeatable: drill.random() = Random(seed).
    Random &random() { return m_random; }

    // The record window opened from the menu, if one is showing: a run that ends while it
    // is open shows its result there.
    void setRecordWindowForRunEnd(RecordWindow *window);
    RecordWindow *recordWindowForRunEnd() const;

signals:
    // The Menu button: the menu pops up with its top-left corner at this point of the window.
    void menuRequested(const QPoint &topLeft);
    void groupLoaded();                  // a group was loaded: there is a record to show
    void runningChanged(bool running);   // Start and Stop
    void closeRequested();               // the window frame's close button
    void saveFailed(const QString &why); // for the log; the window has shown its warning
    // The question's word, to be said aloud: as the question opens, and again on S.
    void wordToSay(const QString &word);

protected:
    void onLoad() override;
    void onUnload() override;
    void closeFromFrame() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Tests find the controls by these object names.
    Forms::Label *titleStrip = nullptr;
    Forms::Label *questionLabel = nullptr; // the group line between runs
    QFrame *rowFrame = nullptr;
    Forms::ControlArray<Forms::Label> rowNumbers;
    Forms::ControlArray<Forms::Label> candidateRows;
    Forms::Label *feedbackLabel = nullptr;
    Forms::Label *progressBar = nullptr;
    Forms::Label *progressCover = nullptr;
    Forms::Label *timeBarBackground = nullptr;
    Forms::Label *timeBar = nullptr;
    Forms::Label *logo = nullptr;
    Forms::Label *scoreCaption = nullptr;
    Forms::Label *questionNumberLabel = nullptr;
    Forms::Label *correctLabel = nullptr;
    Forms::Label *wrongLabel = nullptr;
    Forms::Label *rateLabel = nullptr;
    Forms::Label *speedLabel = nullptr;
    Forms::Label *banner = nullptr;
    QComboBox *groupList = nullptr;
    QPushButton *startButton = nullptr;
    QPushButton *menuButton = nullptr;
    QPushButton *stopButton = nullptr;
    Forms::Timer *questionClock = nullptr;
    Forms::Timer *nextQuestionPause = nullptr;
    Forms::Timer *stopPause = nullptr;
    Forms::Timer *secondDigitWait = nullptr;

    void buildControls();
    void buildRows();
    void showQuestion();
    void showRunState();
    void syncTimers();
    void showBars();
    void showRecordWindow();
    std::optional<RunRecord::Score> runScore() const;
    void noteSave(const RecordFile::SaveResult &saved);
    void judgeShownNumbers(const QVector<int> &numbers);
    void describeRowsForAssistiveTechnology();
    void tellOutcome(DrillRun::Judgement judgement);
    // The rows as screen readers walk them: a list over the row frame.
    int itemCount() const override { return DrillRun::kLastRow + 1; }
    QWidget *itemWidget(int index) const override { return candidateRows(index); }
    QString itemName(int index) const override;
    bool itemSelected(int index) const override { return index == currentItem(); }
    int currentItem() const override { return m_run.isAnswering() ? m_markedRow : -1; }
    void pressItem(int index) override { judgeRow(index); }

    ProgramState &m_state;
    Random m_random;
    DrillRun m_run{m_random};
    QVector<Questions::Entry> m_replacedWords; // freed just after a newly loaded group shows
    RowNumberEntry m_rowNumberEntry;
    int m_markedRow = -1;
    QStringList m_rowNames; // as screen readers last heard them
    RunRecord m_record;
    QPointer<RecordWindow> m_recordWindowForRunEnd;
};

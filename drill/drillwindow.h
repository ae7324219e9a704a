#pragma once

#include "base/random.h"
#include "drill/drillrun.h"
#include "drill/rownumberentry.h"
#include "forms/forms.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>

class ProgramMenu;
class RecordWindow;
struct ProgramState;

// The drill window: the group list, Start, Stop and Menu, the question word, fifteen
// candidate rows, the score line, the time bar and the progress bar. It forwards clicks
// and timer ticks to the run's rules and shows what they report.
class DrillWindow : public Forms::Form
{
    Q_OBJECT
public:
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
    void applySpeed(int optionIndex);  // 0 Slow, 1 Normal, 2 Fast
    void saveRun();
    // Answering from the keyboard: a row's number as shown beside it, or a mark moved
    // with the arrow keys and judged with Space or Enter.
    void typeRowDigit(int digit);
    void endSecondDigitWait(); // a lone 1 means row 1
    void moveMark(int key);    // Up, Down, Home or End
    void judgeMarkedRow();
    int markedRow() const { return m_markedRow; } // -1 for none

    // The menu, built (never shown) the first time the window needs one of its items.
    ProgramMenu *programMenu();
    ProgramState &state() { return m_state; }
    const DrillRun &run() const { return m_run; }
    // Tests make the draws repeatable: drill.random() = Random(seed).
    Random &random() { return m_random; }

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

    // The record window opened from the menu, if one is showing.
    QPointer<RecordWindow> openRecordWindow;

protected:
    void onLoad() override;
    void onUnload() override;
    void closeFromFrame() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void buildRows();
    void showQuestion();
    void showRunState();
    void syncTimers();
    void setSettingItemEnabled(bool enabled);
    void showRecordWindow();
    void judgeShownNumbers(const QVector<int> &numbers);
    void describeRowsForAssistiveTechnology();

    ProgramState &m_state;
    Random m_random;
    DrillRun m_run{m_random};
    RowNumberEntry m_rowNumberEntry;
    int m_markedRow = -1;
    QPointer<ProgramMenu> m_menu;
};

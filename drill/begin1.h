#pragma once

#include "base/random.h"
#include "forms/forms.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVector>

class Dialog1;
class Form1;

// The drill window: the group list, Start, Stop and Menu, the question word, fifteen
// candidate rows, the score line, the time bar and the progress bar.
class Begin1 : public Forms::Form
{
    Q_OBJECT
public:
    explicit Begin1(QWidget *owner = nullptr);
    ~Begin1() override;

    // Handlers, called by the controls and directly by tests.
    void Combo1_Click();
    void Command1_Click(); // Menu
    void Command2_Click(); // Start
    void Command3_Click(); // Stop
    void Label2_MouseUp(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                        double x, double y);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    void Common02(qint16 index); // applies a speed option (0 Slow, 1 Normal, 2 Fast)
    void Common04();             // builds and opens the next question
    void EndQuestion();
    void WriteRecord();

    // The menu form, loaded (hidden) the first time the drill window needs it.
    Form1 *menuForm();

    // Design-time controls.
    Forms::Label *Label10 = nullptr;
    Forms::Label *Label1 = nullptr;
    QFrame *Shape1 = nullptr;
    Forms::ControlArray<Forms::Label> Label8;
    Forms::ControlArray<Forms::Label> Label2;
    Forms::Label *Label9 = nullptr;
    Forms::ControlArray<Forms::Label> Label5;
    Forms::Label *Image1 = nullptr;
    Forms::ControlArray<Forms::Label> Label3;
    Forms::ControlArray<Forms::Label> Label4;
    Forms::Label *Label6 = nullptr;
    Forms::Label *Label7 = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command3 = nullptr;
    Forms::Timer *Timer1 = nullptr;
    Forms::Timer *Timer2 = nullptr;
    Forms::Timer *Timer3 = nullptr;

    // Run state.
    QVector<QStringList> mWords;     // rows 1..mWordCount (row 0 unused): word, translations
    qint16 mWordCount = 0;
    QVector<QStringList> mQuestions; // the run's shuffled list, same shape as mWords
    qint16 mQuestion = 0;
    QVector<QStringList> mAnswers; // rows 1..mAnswerCount: [unused, translation, row]
    qint16 mAnswerCount = 0;
    qint16 mToFind = 0;
    float mCoverStep = 0.0f;
    float mTimeStep = 0.0f;
    qint16 mLastRow = 0;
    qint16 mCorrect = 0;
    qint16 mWrong = 0;
    bool mAnswering = false;

    // The time bar's elapsed width in twips, kept as a float of its own so that the
    // steps of 154.5 and 231.75 add up exactly whatever the pixel rounding.
    float mElapsedWidth = 4635.0f;

    Random random;

    // The record window opened from the menu, if one is showing.
    QPointer<Dialog1> mOpenRecordWindow;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void closeFromFrame() override;

private:
    void buildControls();
    void setRecordItemEnabled();
    void setSettingItemEnabled(bool enabled);
    void setTimeBarWidth(float width);
    void showRecordWindow();
    bool refuseStart();
    bool isAnswerRow(int row) const; // a translation of the open question stands on row

    QPointer<Form1> m_form1;
};

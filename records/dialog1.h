#pragma once

#include "forms/forms.h"

#include <QPushButton>

// The record window: the ten best runs of one group, the mark of the last run's place,
// paging through the groups, and clearing a record.
class Dialog1 : public Forms::Form
{
    Q_OBJECT
public:
    explicit Dialog1(QWidget *owner);

    void FillRecordTable();
    void Command1_Click();  // Clear
    void Command2_Click();  // <<
    void Command3_Click();  // >>
    void OKButton_Click();  // Close
    void Timer1_Timer();

    // Shows gGroup again with its marks; used when a run ends while this window is open.
    void showDrillGroup();

    qint16 mShownGroup = 0;

    // Design-time controls. Member 0 of each label array is its column heading, members
    // 1 to 10 the rows; Label2(11) and Label3(11) finish two-line headings and Label1(11)
    // is the "(No place)" notice.
    Forms::Label *Label6 = nullptr;
    Forms::ControlArray<Forms::Label> Label1;
    Forms::ControlArray<Forms::Label> Label5;
    Forms::ControlArray<Forms::Label> Label2;
    Forms::ControlArray<Forms::Label> Label4;
    Forms::ControlArray<Forms::Label> Label3;
    QPushButton *OKButton = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command1 = nullptr;
    Forms::Timer *Timer1 = nullptr;

protected:
    void Form_Load() override;
    void closeFromFrame() override;

private:
    void buildControls();
    void updateMarks();
};

#pragma once

#include "shell/forms.h"

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

protected:
    void Form_Load() override;
};

#pragma once

#include "forms/forms.h"

#include <QAction>
#include <QMenu>

class DrillWindow;

// The program's menu: never shown as a window of its own, it only holds the menu that
// the drill window's Menu button pops up, and what each item does.
class ProgramMenu : public Forms::Form
{
    Q_OBJECT
public:
    explicit ProgramMenu(DrillWindow *drill);

    void openRecordWindow();
    void openSpeedWindow();
    void openNotice();
    void openAbout();
    void exitProgram(); // asks first
    // Closes every window without a question, the drill window first so that it saves a
    // run in progress; the program then ends.
    void endProgram();

    QMenu *fileMenu = nullptr;
    QAction *recordItem = nullptr;
    QAction *settingItem = nullptr;
    QAction *myWordsItem = nullptr;
    QAction *aboutItem = nullptr;
    QAction *exitItem = nullptr;

private:
    DrillWindow *m_drill;
};

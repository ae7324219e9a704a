#pragma once

#include "forms/forms.h"

#include <QAction>
#include <QMenu>

class DrillWindow;
struct ProgramState;

// The program's menu: never shown as a window of its own, it only holds the menu that
// the drill window's Menu button pops up, and what each item opens. Exit is the owner's:
// the menu only says it was chosen.
class ProgramMenu : public Forms::Form
{
    Q_OBJECT
public:
    ProgramMenu(ProgramState &state, DrillWindow *drill);

    void openRecordWindow();
    void openSpeedWindow();
    void openNotice();
    void openAbout();

    QMenu *fileMenu = nullptr;
    QAction *recordItem = nullptr;
    QAction *settingItem = nullptr;
    QAction *myWordsItem = nullptr;
    QAction *aboutItem = nullptr;
    QAction *exitItem = nullptr;

signals:
    void exitChosen();

private:
    ProgramState &m_state;
    DrillWindow *m_drill;
};

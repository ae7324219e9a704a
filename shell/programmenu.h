#pragma once

#include <QObject>
#include <QPointer>

class DrillWindow;
class QMenu;
struct ProgramState;

// The program's menu: the File menu that the drill window's Menu button pops up, and what
// each item opens. Exit is the owner's: the menu only says it was chosen. It lives as long
// as the drill window, and the menu it pops up with it.
class ProgramMenu : public QObject
{
    Q_OBJECT
public:
    ProgramMenu(ProgramState &state, DrillWindow *drill);
    ~ProgramMenu() override;

    // Its items are named recordItem, settingItem, myWordsItem, aboutItem and exitItem.
    QMenu *menu() const;

    void openRecordWindow();
    void openSpeedWindow();
    void openNotice();
    void openAbout();
    // The program is ending: the menu closes if it is popped up.
    void close();

signals:
    void exitChosen();
    void closed();

private:
    ProgramState &m_state;
    DrillWindow *m_drill;
    QPointer<QMenu> m_menu;
};

#pragma once

#include "forms/forms.h"

#include <QAction>
#include <QMenu>

class Begin1;

// The menu form: never shown, it only owns the menu File that the drill window's Menu
// button pops up.
class Form1 : public Forms::Form
{
    Q_OBJECT
public:
    explicit Form1(Begin1 *drill);

    void Record_Click();
    void Setting_Click();
    void Words_Click();
    void About_Click();
    void Exit_Click();

    QMenu *File = nullptr;
    QAction *Record = nullptr;
    QAction *Setting = nullptr;
    QAction *Fen1 = nullptr;
    QAction *Words = nullptr;
    QAction *Fen2 = nullptr;
    QAction *About = nullptr;
    QAction *Fen3 = nullptr;
    QAction *Exit = nullptr;

private:
    Begin1 *m_drill;
};

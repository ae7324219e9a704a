#pragma once

#include "forms/forms.h"

struct ProgramState;

// The backdrop: a maximized black window that reads the installation folder at start
// and, 200 ms later, says it is time to show the drill window above itself.
class Backdrop : public Forms::Form
{
    Q_OBJECT
public:
    explicit Backdrop(ProgramState &state);

    // The timer's tick, once.
    void endWait();

    Forms::Timer *showDrillTimer = nullptr;

signals:
    void waitEnded();
    void closeRequested(); // the window frame's close button
    void reached();        // clicked or made the active window: the learner looks for work

protected:
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void onLoad() override;
    void closeFromFrame() override { emit closeRequested(); }

private:
    ProgramState &m_state;
};

#pragma once

#include "forms/forms.h"

#include <QPointer>

class DrillWindow;
struct ProgramState;

// The backdrop: a maximized black window that reads the installation folder at start
// and, 200 ms later, shows the drill window above itself.
class Backdrop : public Forms::Form
{
    Q_OBJECT
public:
    explicit Backdrop(ProgramState &state);

    // Shows the drill window, once; the timer's tick.
    void showDrillWindow();

    DrillWindow *drillWindow() const;

    // Ends the program as a confirmed Exit does, without the question: for a signal from
    // outside or the end of the desktop session.
    void endProgram();

    Forms::Timer *showDrillTimer = nullptr;

protected:
    void onLoad() override;
    void closeFromFrame() override;

private:
    void prepareDrillWindow();

    ProgramState &m_state;
    QPointer<DrillWindow> m_drill;
};

#pragma once

#include "forms/forms.h"

struct ProgramState;

// The backdrop: a maximized black window (full screen where the forms are drawn inside it)
// that reads the installation folder at start and, 200 ms after that, says it is time to
// show the drill window above itself.
class Backdrop : public Forms::Form
{
    Q_OBJECT
public:
#ifdef WORDMOOR_BENCH_DRILL_WAIT_MS
    static constexpr int kDrillWaitMs = WORDMOOR_BENCH_DRILL_WAIT_MS; // a benchmark's build
#else
    static constexpr int kDrillWaitMs = 200;
#endif

    explicit Backdrop(ProgramState &state);

    // The timer's tick, once.
    void endWait();

    Forms::Timer *showDrillTimer = nullptr;

signals:
    void waitEnded();
    void firstPainted();   // on screen: what is left of the wait is free for other work
    void closeRequested(); // the window frame's close button
    void reached();        // clicked or made the active window: the learner looks for work

protected:
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void onLoad() override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeFromFrame() override { emit closeRequested(); }

private:
    ProgramState &m_state;
    bool m_paintsBlack = true;
    bool m_painted = false;
};

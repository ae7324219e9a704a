#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class Backdrop;
class DrillWindow;
class ProgramMenu;
struct ProgramState;

// The program's lifetime: it owns the backdrop, the drill window and the menu (and through
// them every window they open), and it is the only place that ends the program. Every
// ending goes one way: the drill window saves a run in progress, at most once, then every
// window closes and ended() gives the status the process ends with.
class Program : public QObject
{
    Q_OBJECT
public:
    explicit Program(ProgramState &state, QObject *parent = nullptr);
    ~Program() override;

    // Loads and shows the backdrop; its wait ends in showDrillWindow().
    void start();
    // Builds the drill window and the menu and draws them once, unseen, so that the end
    // of the wait only has to show them; the backdrop's first paint calls it.
    void prepareDrillWindow();
    void showDrillWindow();
    // A warning for the learner once the drill window shows (a first start that failed).
    void setStartWarning(const QString &text) { m_startWarning = text; }

    // The menu's Exit and the window frames: asks first; a failed save is shown.
    void exitProgram();
    // A signal from outside or the end of the desktop session: no question, no box, nothing
    // waits for a click; a failed save goes to standard error and the status is 1.
    void endFromOutside();
    // The desktop session asks its programs to commit their data: the run so far is saved
    // and goes on, since the logout may yet be cancelled.
    void commitData();

    bool hasEnded() const { return m_ended; }
    Backdrop *backdrop() const { return m_backdrop; }
    DrillWindow *drillWindow() const;
    ProgramMenu *menu() const;

signals:
    void ended(int status);
    // The question's word, for the speech that main() may connect.
    void wordToSay(const QString &word);

protected:
    // The application told to quit (the session manager's last word, for one) is an
    // ending from outside, not a close of each window with its own question.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void endProgram(int status);
    void bringBackDrillWindow();
    void popUpMenu(const QPoint &topLeft);

    ProgramState &m_state;
    Backdrop *m_backdrop = nullptr;
    QPointer<DrillWindow> m_drill;
    QPointer<ProgramMenu> m_menu;
    QString m_startWarning;
    bool m_drillShown = false;
    bool m_ended = false;
};

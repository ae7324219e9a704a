#include "shell/program.h"

#include "base/programstate.h"
#include "drill/drillwindow.h"
#include "shell/backdrop.h"
#include "shell/programmenu.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <cstdio>

namespace
{

void logLine(const QString &text)
{
    std::fprintf(stderr, "wordmoor: %s\n", qUtf8Printable(text));
    std::fflush(stderr);
}

void showWarning(QWidget *owner, const QString &text)
{
    Forms::msgBox(owner, {text, QStringLiteral("Warning!"), Forms::Buttons::Ok,
                          Forms::Icon::Exclamation, Forms::Answer::Ok});
}

} // namespace

Program::Program(ProgramState &state, QObject *parent) : QObject(parent), m_state(state)
{
    // A program that starts afresh has no end under way.
    Forms::setEnding(false);
    m_backdrop = new Backdrop(m_state);
    connect(m_backdrop, &Backdrop::waitEnded, this, &Program::showDrillWindow);
    // Queued: the backdrop's picture goes to the screen first.
    connect(m_backdrop, &Backdrop::firstPainted, this, &Program::prepareDrillWindow,
            Qt::QueuedConnection);
    connect(m_backdrop, &Backdrop::closeRequested, this, &Program::exitProgram);
    connect(m_backdrop, &Backdrop::reached, this, &Program::bringBackDrillWindow);
}

Program::~Program()
{
    // The drill window and the menu are the backdrop's children and go with it.
    delete m_backdrop;
}

DrillWindow *Program::drillWindow() const
{
    return m_drill;
}

ProgramMenu *Program::menu() const
{
    return m_menu;
}

void Program::start()
{
    m_backdrop->load();
    m_backdrop->show();
}

void Program::prepareDrillWindow()
{
    if (m_drill || m_ended) {
        return;
    }
    // Owned by the backdrop, so that window systems keep it above the backdrop.
    m_drill = new DrillWindow(m_state, m_backdrop);
    m_menu = new ProgramMenu(m_state, m_drill);
    connect(m_drill, &DrillWindow::menuRequested, this, &Program::popUpMenu);
    connect(m_drill, &DrillWindow::closeRequested, this, &Program::exitProgram);
    connect(m_drill, &DrillWindow::saveFailed, this, &logLine);
    connect(m_drill, &DrillWindow::wordToSay, this, &Program::wordToSay);
    connect(m_menu, &ProgramMenu::exitChosen, this, &Program::exitProgram);
    m_drill->load();
    // Drawn inside the backdrop, it is centred there as it shows, and it has no window of
    // its own to make now.
    if (!Forms::embeddedForms()) {
        // Open in the middle of the backdrop's screen.
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = m_drill->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            m_drill->move(frame.topLeft());
        }
        // The window system's window, the fonts and the glyphs of every caption, made now
        // rather than after the wait: drawing the window once into an image does all three.
        m_drill->winId();
    }
    QImage unseen(m_drill->size(), QImage::Format_RGB32);
    m_drill->render(&unseen);
}

void Program::showDrillWindow()
{
    if (m_ended || m_drillShown) {
        return;
    }
    prepareDrillWindow();
    m_drillShown = true;
    Forms::showModeless(m_drill);
    if (!m_startWarning.isEmpty()) {
        const QString warning = m_startWarning;
        m_startWarning.clear();
        showWarning(m_drill, warning);
    }
}

void Program::bringBackDrillWindow()
{
    // The backdrop is all a learner sees of a minimized drill window: it must not hide
    // the window away for good.
    // Not before the wait is over: the window made during it stays unseen till then.
    if (!m_drillShown || !m_drill || !m_drill->isLoaded() || m_ended) {
        return;
    }
    if (Forms::embeddedForms()) {
        // One window: its keys go to the drill window or to what is open over it.
        Forms::bringForward(m_drill);
        return;
    }
    if (m_drill->isMinimized() || !m_drill->isVisible()) {
        m_drill->showNormal();
    }
    m_drill->raise();
    if (!QApplication::activeModalWidget()) {
        m_drill->activateWindow();
    }
}

void Program::popUpMenu(const QPoint &topLeft)
{
    Forms::popupMenu(m_menu->menu(), m_drill, topLeft);
}

void Program::exitProgram()
{
    if (m_ended) {
        return;
    }
    QWidget *owner = m_drill ? static_cast<QWidget *>(m_drill) : m_backdrop;
    if (!Forms::confirm(owner, QStringLiteral("Do you really want to exit?"),
                        QStringLiteral("Attention!"), Forms::Icon::Information)) {
        return;
    }
    if (m_ended) {
        return; // ended from outside while the question was open
    }
    int status = 0;
    if (m_drill) {
        const RecordFile::SaveResult saved = m_drill->saveRunInProgress();
        if (!saved.ok) {
            status = 1;
            showWarning(m_drill, QStringLiteral("The record of group %1 could not be saved: %2")
                                     .arg(m_state.group)
                                     .arg(saved.error));
        }
    }
    endProgram(status);
}

void Program::endFromOutside()
{
    if (m_ended) {
        return;
    }
    int status = 0;
    if (m_drill) {
        status = m_drill->saveRunInProgress().ok ? 0 : 1;
    }
    endProgram(status);
}

void Program::commitData()
{
    if (m_drill && !m_ended) {
        m_drill->commitRunInProgress();
    }
}

void Program::endProgram(int status)
{
    if (m_ended) {
        return;
    }
    m_ended = true;
    // The drill window first, as a confirmed Exit has it, then the menu and the backdrop;
    // then whatever is still open above them.
    if (m_drill) {
        m_drill->unload();
    }
    if (m_menu) {
        m_menu->close();
    }
    m_backdrop->unload();
    Forms::endAllForms();
    emit ended(status);
}

bool Program::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        endFromOutside();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

#include "shell/backdrop.h"

#include "drill/drillwindow.h"
#include "shell/programmenu.h"
#include "shell/programstate.h"
#include "shell/startup.h"

#include <QGuiApplication>
#include <QScreen>

Backdrop::Backdrop(ProgramState &state) : Forms::Form(nullptr, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("backdrop"));
    setWindowTitle(QStringLiteral("Wordmoor"));
    Forms::setBackColor(this, Forms::rgb(0, 0, 0));
    resize(Forms::toPixels(7380), Forms::toPixels(4245));

    showDrillTimer = new Forms::Timer(this, 200, true);
    showDrillTimer->setObjectName(QStringLiteral("showDrillTimer"));
    connect(showDrillTimer, &Forms::Timer::timeout, this, &Backdrop::showDrillWindow);
}

DrillWindow *Backdrop::drillWindow() const
{
    return m_drill;
}

void Backdrop::onLoad()
{
    // Without a window manager nothing maximizes it, so it covers the screen itself too.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
    }
    setWindowState(Qt::WindowMaximized);
    const QString configFolder = Startup::configDirectory().trimmed();
    m_state.installPath = Startup::installPathFromIni(Startup::iniPath(configFolder));
}

void Backdrop::prepareDrillWindow()
{
    if (m_drill || !isLoaded()) {
        return;
    }
    m_drill = new DrillWindow(m_state, this);
    m_drill->load();
    // Open in the middle of the backdrop's screen.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_drill->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_drill->move(frame.topLeft());
    }
}

void Backdrop::showDrillWindow()
{
    showDrillTimer->setEnabled(false);
    prepareDrillWindow();
    Forms::showModeless(m_drill);
}

void Backdrop::endProgram()
{
    if (m_drill && m_drill->isLoaded()) {
        m_drill->programMenu()->endProgram();
        return;
    }
    unload();
}

void Backdrop::closeFromFrame()
{
    if (m_drill && m_drill->isLoaded()) {
        // The same confirmed Exit as the menu's, so a run in progress is saved.
        m_drill->programMenu()->exitProgram();
        return;
    }
    unload();
}

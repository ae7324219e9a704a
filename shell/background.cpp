#include "shell/background.h"

#include "drill/begin1.h"
#include "shell/form1.h"
#include "shell/module1.h"
#include "shell/startup.h"

#include <QGuiApplication>
#include <QScreen>

Background::Background() : Forms::Form(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("Background"));
    setWindowTitle(QStringLiteral("Wordmoor"));
    Forms::setBackColor(this, Forms::rgb(0, 0, 0));
    resize(Forms::toPixels(7380), Forms::toPixels(4245));

    // Holds the intermediate texts of the folder search; never seen.
    Label1 = new Forms::Label(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Forms::setTwipGeometry(Label1, 2400, 3000, 1395, 195);
    Label1->hide();

    Timer1 = new Forms::Timer(this, 200, true);
    connect(Timer1, &Forms::Timer::timeout, this, &Background::Timer1_Timer);
}

Begin1 *Background::drillWindow() const
{
    return m_begin1;
}

QString Background::GetWindowsDir() const
{
    return Startup::configDirectory().trimmed();
}

void Background::Form_Load()
{
    // Without a window manager nothing maximizes it, so it covers the screen itself too.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
    }
    setWindowState(Qt::WindowMaximized);
    Label1->setCaption(GetWindowsDir());
    gInstallPath = Startup::installPathFromIni(Startup::iniPath(Label1->caption()));
}

void Background::Timer1_Timer()
{
    Timer1->setEnabled(false);
    if (!m_begin1) {
        m_begin1 = new Begin1(this);
        m_begin1->load();
        // Open in the middle of the backdrop's screen.
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = m_begin1->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            m_begin1->move(frame.topLeft());
        }
    }
    Forms::showModeless(m_begin1);
}

void Background::closeFromFrame()
{
    if (m_begin1 && m_begin1->isLoaded()) {
        // The same confirmed Exit as the menu's, so a run in progress is saved.
        m_begin1->menuForm()->Exit_Click();
        return;
    }
    unload();
}

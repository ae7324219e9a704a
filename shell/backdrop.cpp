#include "shell/backdrop.h"

#include "base/programstate.h"
#include "startup/startup.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

Backdrop::Backdrop(ProgramState &state) : Forms::Form(nullptr, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("backdrop"));
    setWindowTitle(QStringLiteral("Wordmoor"));
    resize(Forms::toPixels(7380), Forms::toPixels(4245));
    // On X a window's new backing store is zero-filled, which it shows as black: left
    // unpainted, the backdrop's megabytes of pixels are never touched and take no memory.
    // Elsewhere it paints itself black, without a palette that the forms drawn inside it
    // would inherit.
    m_paintsBlack = QGuiApplication::platformName() != QLatin1String("xcb");
    setAttribute(Qt::WA_OpaquePaintEvent);

    // Started once the INI is read, and precise: the wait is the same on every start.
    showDrillTimer = new Forms::Timer(this, kDrillWaitMs, false);
    showDrillTimer->setObjectName(QStringLiteral("showDrillTimer"));
    showDrillTimer->setPrecise(true);
    connect(showDrillTimer, &Forms::Timer::timeout, this, &Backdrop::endWait);
}

void Backdrop::onLoad()
{
    // Without a window manager nothing maximizes it, so it covers the screen itself too.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
    }
    // Where the forms are drawn inside it, it is the program's screen: full screen, with
    // no title bar and above the desktop's panels, as the maximized window is on X.
    setWindowState(Forms::embeddedForms() ? Qt::WindowFullScreen : Qt::WindowMaximized);
    m_state.installPath =
        Startup::installPathFromIni(Startup::iniPath(Startup::configDirectory()));
    showDrillTimer->setEnabled(true);
}

void Backdrop::paintEvent(QPaintEvent *event)
{
    if (m_paintsBlack) {
        QPainter(this).fillRect(event->rect(), Qt::black);
    }
    if (!m_painted) {
        m_painted = true;
        emit firstPainted();
    }
}

void Backdrop::endWait()
{
    showDrillTimer->setEnabled(false);
    emit waitEnded();
}

void Backdrop::resizeEvent(QResizeEvent *event)
{
    Forms::Form::resizeEvent(event);
    // The compositor gives the full-screen size only once the window is shown.
    if (Forms::embeddedForms()) {
        Forms::recentreEmbeddedForms();
    }
}

void Backdrop::changeEvent(QEvent *event)
{
    Forms::Form::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        emit reached();
    }
}

void Backdrop::mousePressEvent(QMouseEvent *event)
{
    Forms::Form::mousePressEvent(event);
    emit reached();
}

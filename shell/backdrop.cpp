#include "shell/backdrop.h"

#include "base/programstate.h"
#include "shell/startup.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace
{

// A benchmark build may shorten the wait to measure the start-up around it.
#ifdef WORDMOOR_BENCH_DRILL_WAIT_MS
constexpr int kDrillWaitMs = WORDMOOR_BENCH_DRILL_WAIT_MS;
#else
constexpr int kDrillWaitMs = 200;
#endif

} // namespace

Backdrop::Backdrop(ProgramState &state) : Forms::Form(nullptr, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("backdrop"));
    setWindowTitle(QStringLiteral("Wordmoor"));
    Forms::setBackColor(this, Forms::rgb(0, 0, 0));
    resize(Forms::toPixels(7380), Forms::toPixels(4245));

    showDrillTimer = new Forms::Timer(this, kDrillWaitMs, true);
    showDrillTimer->setObjectName(QStringLiteral("showDrillTimer"));
    connect(showDrillTimer, &Forms::Timer::timeout, this, &Backdrop::endWait);
}

void Backdrop::onLoad()
{
    // Without a window manager nothing maximizes it, so it covers the screen itself too.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry());
    }
    setWindowState(Qt::WindowMaximized);
    m_state.installPath =
        Startup::installPathFromIni(Startup::iniPath(Startup::configDirectory()));
}

void Backdrop::endWait()
{
    showDrillTimer->setEnabled(false);
    emit waitEnded();
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

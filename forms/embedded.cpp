#include "forms/embedded.h"

#include "forms/forms.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <memory>

namespace Forms
{

namespace
{

constexpr int kBorder = 1;
constexpr int kTitleHeight = 22;

bool g_embedded = false;

struct Placement {
    QPointer<QWidget> frame;
    QPointer<QWidget> over; // the owner's frame, or the surface itself
};
QList<Placement> g_placed;         // shown frames, in the order they were first shown
QList<QPointer<QWidget>> g_modals; // open modal frames, the last on top

// A sub-window frame: Qt keeps Tab and Backtab within it, as within a window. It paints
// itself rather than set a palette, which its content would inherit.
class EmbeddedFrame : public QWidget
{
public:
    EmbeddedFrame(QWidget *surface, QWidget *content)
        : QWidget(surface, Qt::SubWindow), m_content(content)
    {
        setObjectName(content->objectName() + QStringLiteral("Frame"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_title = new QLabel(this);
        m_title->setObjectName(QStringLiteral("frameTitle"));
        m_title->setIndent(6);
        QPalette titlePalette = m_title->palette();
        titlePalette.setColor(QPalette::WindowText, Qt::white);
        titlePalette.setColor(QPalette::ButtonText, Qt::white);
        m_title->setPalette(titlePalette);
        m_close = new QToolButton(this);
        m_close->setObjectName(QStringLiteral("frameClose"));
        m_close->setText(QStringLiteral("\u00d7"));
        m_close->setAutoRaise(true);
        m_close->setFocusPolicy(Qt::NoFocus);
        m_close->setPalette(titlePalette);
        // As the window manager's close button does: the content decides what closing means.
        connect(m_close, &QToolButton::clicked, content, &QWidget::close);
        hide();
        content->setParent(this, Qt::Widget);
        content->move(kBorder, kBorder + kTitleHeight);
        content->setAutoFillBackground(true);
        content->installEventFilter(this);
        m_title->setText(content->windowTitle());
        fit();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(60, 60, 60));
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_content) {
            switch (event->type()) {
            case QEvent::ShowToParent:
                fit();
                show();
                break;
            case QEvent::HideToParent:
                hide();
                break;
            case QEvent::Resize:
                fit();
                break;
            case QEvent::WindowTitleChange:
                m_title->setText(m_content->windowTitle());
                break;
            default:
                break;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    void fit()
    {
        const QSize inner = m_content->size();
        resize(inner.width() + 2 * kBorder, inner.height() + kTitleHeight + 2 * kBorder);
        const int titleWidth = std::max(0, inner.width() - kTitleHeight);
        m_title->setGeometry(kBorder, kBorder, titleWidth, kTitleHeight);
        m_close->setGeometry(kBorder + titleWidth, kBorder, kTitleHeight, kTitleHeight);
    }

    QWidget *m_content;
    QLabel *m_title = nullptr;
    QToolButton *m_close = nullptr;
};

bool inside(const QWidget *frame, const QWidget *widget)
{
    return widget && (widget == frame || frame->isAncestorOf(widget));
}

// The keys to the widget inside the frame that had them last, else to its default button,
// else to the first that Tab reaches.
void focusInside(QWidget *frame)
{
    QWidget *target = frame->focusWidget();
    const auto usable = [frame](QWidget *w) {
        return inside(frame, w) && w != frame && w->isVisible() && w->isEnabled() &&
               w->focusPolicy() != Qt::NoFocus;
    };
    if (!usable(target)) {
        target = nullptr;
        for (QPushButton *button : frame->findChildren<QPushButton *>()) {
            if (button->isDefault() && usable(button)) {
                target = button;
            }
        }
    }
    for (QWidget *w = frame->nextInFocusChain(); !target && w && w != frame;
         w = w->nextInFocusChain()) {
        if (usable(w) && (w->focusPolicy() & Qt::TabFocus)) {
            target = w;
        }
    }
    if (target) {
        target->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void centre(const Placement &placement)
{
    QWidget *frame = placement.frame;
    QWidget *surface = frame->parentWidget();
    const QRect over =
        placement.over && placement.over != surface ? placement.over->geometry() : surface->rect();
    QRect rect = frame->geometry();
    rect.moveCenter(over.center());
    // Whole on the surface where it fits; its title bar at least where it does not.
    rect.moveLeft(qBound(0, rect.left(), std::max(0, surface->width() - rect.width())));
    rect.moveTop(qBound(0, rect.top(), std::max(0, surface->height() - rect.height())));
    frame->move(rect.topLeft());
}

void place(QWidget *frame, QWidget *owner)
{
    QWidget *over = owner ? outerFrame(owner) : frame->parentWidget();
    for (Placement &placement : g_placed) {
        if (placement.frame == frame) {
            placement.over = over;
            centre(placement);
            return;
        }
    }
    g_placed.append(Placement{frame, over});
    centre(g_placed.last());
}

// While a modal frame is open, clicks and keys meant for anything else in its window are
// not delivered: keys go to the modal frame instead; popup menus and other windows are left
// alone.
class ModalGuard : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
            break;
        default:
            return false;
        }
        auto *widget = qobject_cast<QWidget *>(watched);
        QWidget *top = g_modals.isEmpty() ? nullptr : g_modals.last().data();
        if (!widget || !top || widget->window() != top->window() || inside(top, widget)) {
            return false;
        }
        const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
        // A key that the modal frame's widgets left unused passes up to its parents, and
        // stops here; one that reached another widget first goes to the frame instead.
        if (key && !inside(top, QApplication::focusWidget())) {
            focusInside(top);
            QWidget *focus = QApplication::focusWidget();
            if (inside(top, focus)) {
                const std::unique_ptr<QEvent> copy(event->clone());
                QCoreApplication::sendEvent(focus, copy.get());
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            focusInside(top);
        }
        return true;
    }
};

ModalGuard *g_guard = nullptr;

void forgetClosed()
{
    g_modals.removeAll(QPointer<QWidget>());
    for (int i = g_placed.size() - 1; i >= 0; --i) {
        if (!g_placed[i].frame) {
            g_placed.removeAt(i);
        }
    }
}

} // namespace

bool embedsFormsOn(const QString &platformName)
{
    return platformName != QLatin1String("xcb");
}

void setEmbeddedForms(bool embedded)
{
    g_embedded = embedded;
}

bool embeddedForms()
{
    return g_embedded;
}

QWidget *outerFrame(QWidget *widget)
{
    QWidget *frame = widget;
    while (frame && !frame->isWindow() && frame->windowType() != Qt::SubWindow) {
        frame = frame->parentWidget();
    }
    return frame ? frame : widget;
}

void recentreEmbeddedForms()
{
    forgetClosed();
    for (const Placement &placement : std::as_const(g_placed)) {
        if (placement.frame->isVisible()) {
            centre(placement);
        }
    }
}

void bringForward(QWidget *form)
{
    forgetClosed();
    QWidget *frame = outerFrame(form);
    frame->raise();
    for (const QPointer<QWidget> &modal : std::as_const(g_modals)) {
        modal->raise();
    }
    focusInside(g_modals.isEmpty() ? frame : g_modals.last().data());
}

void embedInFrame(QWidget *content, QWidget *surface)
{
    auto *frame = new EmbeddedFrame(surface, content);
    QObject::connect(content, &QObject::destroyed, frame, &QObject::deleteLater);
}

void showEmbedded(QWidget *content, QWidget *owner)
{
    QWidget *frame = outerFrame(content);
    content->show();
    place(frame, owner);
    bringForward(frame);
}

void runEmbeddedModal(QWidget *content, QWidget *owner, QEventLoop &loop)
{
    const QPointer<QWidget> before = QApplication::focusWidget();
    const QPointer<QWidget> frame = outerFrame(content);
    g_modals.append(frame);
    if (!g_guard) {
        g_guard = new ModalGuard;
        qApp->installEventFilter(g_guard);
    }
    showEmbedded(content, owner);
    loop.exec();
    g_modals.removeAll(frame);
    forgetClosed();
    if (g_modals.isEmpty()) {
        delete g_guard;
        g_guard = nullptr;
    }
    if (before && before->isVisible() && before->isEnabled()) {
        before->setFocus(Qt::ActiveWindowFocusReason);
    } else if (!g_modals.isEmpty()) {
        focusInside(g_modals.last());
    }
}

} // namespace Forms

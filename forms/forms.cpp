#include "forms/forms.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

#include <cmath>

namespace Forms
{

namespace
{

const char *const kLeft = "twipLeft";
const char *const kTop = "twipTop";
const char *const kWidth = "twipWidth";
const char *const kHeight = "twipHeight";

double twipProperty(const QWidget *widget, const char *name, int pixels)
{
    const QVariant value = widget->property(name);
    return value.isValid() ? value.toDouble() : pixels * kTwipsPerPixel;
}

void applyTwipGeometry(QWidget *widget)
{
    const double left = twipLeft(widget);
    const double top = twipTop(widget);
    // Edges are rounded, not sizes, so that neighbouring controls meet without gaps.
    const int x = toPixels(left);
    const int y = toPixels(top);
    const int w = std::max(0, toPixels(left + twipWidth(widget)) - x);
    const int h = std::max(0, toPixels(top + twipHeight(widget)) - y);
    widget->setGeometry(x, y, w, h);
}

} // namespace

int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

void setTwipGeometry(QWidget *widget, double left, double top, double width, double height)
{
    widget->setProperty(kLeft, left);
    widget->setProperty(kTop, top);
    widget->setProperty(kWidth, width);
    widget->setProperty(kHeight, height);
    applyTwipGeometry(widget);
}

void setTwipLeft(QWidget *widget, double left)
{
    setTwipGeometry(widget, left, twipTop(widget), twipWidth(widget), twipHeight(widget));
}

void setTwipTop(QWidget *widget, double top)
{
    setTwipGeometry(widget, twipLeft(widget), top, twipWidth(widget), twipHeight(widget));
}

void setTwipWidth(QWidget *widget, double width)
{
    setTwipGeometry(widget, twipLeft(widget), twipTop(widget), width, twipHeight(widget));
}

void setTwipHeight(QWidget *widget, double height)
{
    setTwipGeometry(widget, twipLeft(widget), twipTop(widget), twipWidth(widget), height);
}

double twipLeft(const QWidget *widget)
{
    return twipProperty(widget, kLeft, widget->x());
}

double twipTop(const QWidget *widget)
{
    return twipProperty(widget, kTop, widget->y());
}

double twipWidth(const QWidget *widget)
{
    return twipProperty(widget, kWidth, widget->width());
}

double twipHeight(const QWidget *widget)
{
    return twipProperty(widget, kHeight, widget->height());
}

void setClientSizeTwips(QWidget *window, double width, double height)
{
    window->setFixedSize(toPixels(width), toPixels(height));
}

void setBackColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    // A window's colour must not reach its buttons through the inherited palette; a
    // control's own colour is also its face (a drop-down list's, for one). A form drawn
    // inside another window is a window all the same.
    if (!widget->isWindow() && !qobject_cast<const Form *>(widget)) {
        palette.setColor(QPalette::Button, color);
        palette.setColor(QPalette::Base, color);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor backColor(const QWidget *widget)
{
    return widget->palette().color(QPalette::Window);
}

void setTransparent(QWidget *widget)
{
    widget->setAutoFillBackground(false);
}

void setForeColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor foreColor(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

QFont designFont(const QString &family, double points, bool bold)
{
    QString mapped = family;
    if (family == QLatin1String("Times New Roman")) {
        mapped = QStringLiteral("Liberation Serif");
    } else if (family == QLatin1String("MS Sans Serif") ||
               family == QLatin1String("Microsoft Sans Serif")) {
        mapped = QStringLiteral("Liberation Sans");
    }
    QFont font(mapped);
    // Chinese text takes its glyphs from whichever CJK font is installed.
    font.setFamilies({mapped, QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setDesignFont(QWidget *widget, const QString &family, double points, bool bold)
{
    widget->setFont(designFont(family, points, bold));
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, double left,
                        double top, double width, double height, const QString &fontFamily,
                        double points)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    setTwipGeometry(button, left, top, width, height);
    setDesignFont(button, fontFamily, points);
    // Outside a QDialog a push button ignores Enter unless it is an auto-default one.
    button->setAutoDefault(true);
    return button;
}

namespace
{
AnnouncementObserver g_announcementObserver;
} // namespace

void setAnnouncementObserver(AnnouncementObserver observer)
{
    g_announcementObserver = std::move(observer);
}

void tellScreenReaders(QAccessibleEvent *event)
{
    QAccessible::updateAccessibility(event);
    if (g_announcementObserver) {
        g_announcementObserver(event);
    }
}

void announceNameChange(QWidget *widget)
{
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    tellScreenReaders(&event);
}

// ---- Label

Label::Label(QWidget *parent, const QString &caption) : QLabel(caption, parent)
{
    setTextFormat(Qt::PlainText);
}

void Label::setCaption(const QString &caption)
{
    const bool changed = caption != text();
    setText(caption);
    if (m_autoSize) {
        fitToText();
    }
    // Screen readers hear of a new text only when told; a label named on its own keeps
    // announcing that name instead.
    if (changed && accessibleName().isEmpty()) {
        announceNameChange(this);
    }
}

void Label::setBorderStyle(int style)
{
    m_borderStyle = style;
    setFrameShape(style == 1 ? QFrame::Box : QFrame::NoFrame);
    setLineWidth(1);
    if (m_autoSize) {
        fitToText(); // the border takes room from the text
    }
}

void Label::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on) {
        fitToText();
    }
}

void Label::fitToText()
{
    const int pixels = fontMetrics().horizontalAdvance(text()) + 2 * frameWidth();
    const double right = twipLeft(this) + twipWidth(this);
    const double width = pixels * kTwipsPerPixel;
    // Right-aligned labels keep their right edge; the others keep their left edge.
    if (alignment() & Qt::AlignRight) {
        setTwipGeometry(this, right - width, twipTop(this), width, twipHeight(this));
    } else {
        setTwipWidth(this, width);
    }
}

Label *Label::cloneAsMember(int index) const
{
    auto *member = new Label(parentWidget(), text());
    member->setObjectName(objectName().section(QLatin1Char('_'), 0, 0) + QLatin1Char('_') +
                          QString::number(index));
    member->setFont(font());
    member->setPalette(palette());
    member->setAutoFillBackground(autoFillBackground());
    member->setAlignment(alignment());
    member->setWordWrap(wordWrap());
    member->setBorderStyle(m_borderStyle);
    member->m_autoSize = m_autoSize;
    member->setTag(m_tag);
    member->setIndex(index);
    member->setCursor(cursor());
    setTwipGeometry(member, twipLeft(this), twipTop(this), twipWidth(this), twipHeight(this));
    member->hide();
    return member;
}

void Label::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed) {
        event->ignore();
        return;
    }
    m_pressed = false;
    event->accept();
    const QPointF pos = event->position();
    emit mouseUp(m_index, event->button(), event->modifiers(), pos.x() * kTwipsPerPixel,
                 pos.y() * kTwipsPerPixel);
    if (rect().contains(pos.toPoint())) {
        emit clicked(m_index);
    }
}

void Label::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressed = true;
    event->accept();
    emit doubleClicked(m_index);
}

// ---- Timer

Timer::Timer(QObject *parent, int intervalMs, bool enabled)
    : QObject(parent), m_interval(std::max(0, intervalMs)), m_enabled(enabled)
{
    connect(&m_timer, &QTimer::timeout, this, &Timer::timeout);
    sync();
}

void Timer::setInterval(int ms)
{
    m_interval = std::max(0, ms);
    sync();
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled) {
        return;
    }
    m_enabled = enabled;
    sync();
}

void Timer::setPrecise(bool precise)
{
    m_timer.setTimerType(precise ? Qt::PreciseTimer : Qt::CoarseTimer);
}

void Timer::sync()
{
    if (m_enabled && m_interval > 0) {
        m_timer.start(m_interval);
        emit started();
    } else {
        m_timer.stop();
    }
}

} // namespace Forms

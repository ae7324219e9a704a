#pragma once

// The forms runtime: what every window takes from Qt, in the terms the windows are
// designed in (twips, RGB colours, captions and tags, control arrays, timers that are
// switched on and off, message boxes and modal shows). It also holds the test seams:
// tests answer message boxes, watch modal shows and popup menus without blocking, and
// call timer handlers directly.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QMap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAccessibleEvent;
class QMenu;
class QAction;
class QPushButton;

namespace Forms
{

// ---- Geometry: 1 twip = 1/15 logical pixel at 96 dpi.
constexpr double kTwipsPerPixel = 15.0;
int toPixels(double twips);

// Positions are kept in twips on the widget itself, so a window reads back exactly what
// it set (fractions included) whatever the pixel rounding.
void setTwipGeometry(QWidget *widget, double left, double top, double width, double height);
void setTwipLeft(QWidget *widget, double left);
void setTwipTop(QWidget *widget, double top);
void setTwipWidth(QWidget *widget, double width);
void setTwipHeight(QWidget *widget, double height);
double twipLeft(const QWidget *widget);
double twipTop(const QWidget *widget);
double twipWidth(const QWidget *widget);
double twipHeight(const QWidget *widget);
void setClientSizeTwips(QWidget *window, double width, double height);

// ---- Colours and fonts.
inline QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}
void setBackColor(QWidget *widget, const QColor &color); // opaque background
QColor backColor(const QWidget *widget);
void setTransparent(QWidget *widget);
void setForeColor(QWidget *widget, const QColor &color);
QColor foreColor(const QWidget *widget);
// Maps the design fonts to ones this system has: Times New Roman to Liberation Serif,
// MS Sans Serif and Microsoft Sans Serif to Liberation Sans. Chinese falls back to the
// installed CJK font.
QFont designFont(const QString &family, double points, bool bold = false);
void setDesignFont(QWidget *widget, const QString &family, double points, bool bold = false);

// ---- The square application icon, in the sizes the desktop entry's icon comes in (the
// wide logo is for the drill window's own face).
QIcon applicationIcon();

// ---- A push button at its place in twips. Enter and keypad Enter press it while it has
// the focus, as Space does, in every window (not only in dialogs).
QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, double left,
                        double top, double width, double height, const QString &fontFamily,
                        double points);

// ---- Assistive technology. Every event for screen readers goes through tellScreenReaders;
// tests watch them here, since a headless platform has no accessibility bridge to pass them
// on. A label's new caption is announced (see also forms/accessibility.h).
void tellScreenReaders(QAccessibleEvent *event);
using AnnouncementObserver = std::function<void(QAccessibleEvent *event)>;
void setAnnouncementObserver(AnnouncementObserver observer);
void announceNameChange(QWidget *widget);

// ---- A label with the properties the windows use: a caption, a text tag, a border
// style, sizing to its text, and its index within a control array.
class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(QWidget *parent = nullptr, const QString &caption = QString());

    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style); // 0 none, 1 single line
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

    // A new control-array member: same look and place as this one, hidden.
    Label *cloneAsMember(int index) const;

signals:
    void mouseUp(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift, double x,
                 double y);
    void clicked(int index);
    void doubleClicked(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void fitToText();

    QString m_tag;
    int m_index = 0;
    int m_borderStyle = 0;
    bool m_autoSize = false;
    bool m_pressed = false;
};

// Members of a control array by index; indexes need not be contiguous.
template <class T> class ControlArray
{
public:
    T *operator()(int index) const { return m_members.value(index, nullptr); }
    void set(int index, T *member) { m_members.insert(index, member); }
    bool contains(int index) const { return m_members.contains(index); }
    QList<int> indexes() const { return m_members.keys(); }
    int count() const { return static_cast<int>(m_members.size()); }

private:
    QMap<int, T *> m_members;
};

// ---- A timer that ticks while it is enabled and its interval is above 0. An interval
// of 0 gives no ticks (a zero-interval QTimer would fire continuously).
class Timer : public QObject
{
    Q_OBJECT
public:
    explicit Timer(QObject *parent, int intervalMs = 0, bool enabled = false);

    int interval() const { return m_interval; }
    void setInterval(int ms);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool isTicking() const { return m_timer.isActive(); }
    // A precise timer fires within a millisecond; the default may be 5 % late or early.
    void setPrecise(bool precise);
    bool isPrecise() const { return m_timer.timerType() == Qt::PreciseTimer; }

signals:
    void timeout();
    void started(); // the interval starts afresh: when enabled, or given a new interval

private:
    void sync();

    QTimer m_timer{this}; // a child, so that event filters can tell whose tick it is
    int m_interval = 0;
    bool m_enabled = false;
};

// ---- Message boxes.
enum class Buttons { Ok, YesNo };
enum class Icon { None, Exclamation, Information };
enum class Answer { Ok, Yes, No };

struct Message {
    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Answer defaultButton = Answer::Ok;
};

Answer msgBox(QWidget *owner, const Message &message);
// A Yes/No question with No as the default (Enter answers No); true for Yes.
bool confirm(QWidget *owner, const QString &text, const QString &title, Icon icon);

// Tests answer message boxes instead of a learner; an empty function restores real ones.
using MessageAnswerer = std::function<Answer(const Message &)>;
void setMessageAnswerer(MessageAnswerer answerer);

// ---- Where forms are drawn. On X every form is a window of its own, placed by the program
// and kept above its owner by the window manager. Where the compositor places windows
// itself and ignores the program's placement (Wayland), the form that has no owner (the
// backdrop) is the one window, and every form and box it owns, directly or not, is drawn
// inside it in a frame with its title: placed, stacked and given the keys by the program
// alike under every compositor.
bool embedsFormsOn(const QString &platformName); // every platform but X
void setEmbeddedForms(bool embedded);            // before the first form is built
bool embeddedForms();
// The frame that holds an embedded form, or the form itself.
QWidget *outerFrame(QWidget *widget);
// Centres the shown embedded forms again, in the order they were shown (the window they
// are drawn in has changed its size).
void recentreEmbeddedForms();
// Raises an embedded form and above it every modal form or box still open, and gives the
// keys to the top one: nothing else the window holds keeps them.
void bringForward(QWidget *form);

// ---- Windows. A Form is built in its design-time state; load() runs its onLoad(),
// unload() runs its onUnload() and hides it. Ending the program is its owner's business.
class Form : public QWidget
{
    Q_OBJECT
public:
    explicit Form(QWidget *owner = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~Form() override;

    void load();
    void unload();
    bool isLoaded() const { return m_loaded && !m_unloaded; }
    // The form it was built for (the parent it would have as a window of its own).
    QWidget *owner() const { return m_owner; }

    static int loadedCount();

signals:
    void unloaded();

protected:
    virtual void onLoad() {}
    virtual void onUnload() {}
    // The window manager's close button: by default it unloads the window.
    virtual void closeFromFrame() { unload(); }
    void closeEvent(QCloseEvent *event) override;

private:
    QPointer<QWidget> m_owner;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_discarded = false;
};

// Ends the program's windows without waiting for anyone: closes popup menus and message
// boxes (a question answers its default), unloads every loaded form, most recently loaded
// first, and from then on shows no further box or modal window. setEnding(false) is for a
// program that starts afresh.
void endAllForms();
void setEnding(bool ending);
bool isEnding();

// Builds a window, loads it and returns it.
template <class F, class... Args> F *loadForm(Args &&...args)
{
    auto *form = new F(std::forward<Args>(args)...);
    form->load();
    return form;
}

// Shows a loaded form modally above its owner; returns once the form has been unloaded.
void showModal(Form *form);
// Shows a loaded form modelessly, kept above its owner; returns at once.
void showModeless(Form *form);

// Tests see a modal show instead of blocking: the observer gets the form, may work it,
// and when it returns the form is unloaded if it still is loaded (as its user would).
using ModalObserver = std::function<void(Form *)>;
void setModalObserver(ModalObserver observer);

// Pops up a menu with its top-left corner at a point of a window and runs the chosen
// item. Tests choose the item instead of a learner: the chooser returns the action (or
// nullptr for none).
void popupMenu(QMenu *menu, QWidget *window, const QPoint &topLeft);
using PopupChooser = std::function<QAction *(QMenu *)>;
void setPopupChooser(PopupChooser chooser);

} // namespace Forms

#pragma once

// What the parts of the screen-reader code share (forms/accessibility.h is their face):
// the registrations that say which widget is shown as what, the children without widgets
// of their own, and the language of a text.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace Forms::Accessible
{

// What a widget is registered as (a list's items, the labels a window hides, ...). A
// registration ends with the widget it belongs to.
template <typename T> class Registry
{
public:
    void add(QObject *owner, T value)
    {
        if (!m_entries.contains(owner)) {
            QObject::connect(owner, &QObject::destroyed,
                             [this, owner] { m_entries.remove(owner); });
        }
        m_entries.insert(owner, std::move(value));
    }
    // The object a registration points to is ending before the widget it was made for.
    void removeValue(const T &value)
    {
        m_entries.removeIf([&value](const auto &entry) { return entry.value() == value; });
    }
    bool contains(const QObject *owner) const { return m_entries.contains(owner); }
    T value(const QObject *owner) const { return m_entries.value(owner); }

private:
    QHash<const QObject *, T> m_entries;
};

// Registries live as long as the process: a widget may end after the statics do.
template <typename T> Registry<T> &registry()
{
    static auto *entries = new Registry<T>;
    return *entries;
}

// The interface of a widget registered with a part, or nullptr; the factory asks the parts
// in this order.
QAccessibleInterface *listInterface(QWidget *widget);
QAccessibleInterface *tableInterface(QWidget *widget);
QAccessibleInterface *progressInterface(QWidget *widget);
QAccessibleInterface *announcerInterface(QWidget *widget);
QAccessibleInterface *coveringInterface(QWidget *widget);

// Makes the parts' interfaces the ones Qt uses; once is enough.
void installFactory();
// An interface made before the widget was registered would stay in Qt's cache.
void forgetInterface(QObject *object);
// Takes container's labels in covered out of the tree of the window they lie in.
void cover(QWidget *window, const QList<QWidget *> &covered);
// Calls announceCurrent a turn of the event loop after container takes the focus:
// screen readers hear of the current item only after Qt has told them of the focus.
void followFocus(QWidget *container, void (*announceCurrent)(QWidget *));

// A container whose children are made on demand and presented afresh when renewed.
class Renewable
{
public:
    virtual ~Renewable() = default;
    virtual void renew() = 0;
};

// The language of the run of text around offset, for a text interface's attributes.
QString languageAttributes(const QString &text, int offset, int *start, int *end);

// A plain text interface over a fixed text, for its language attributes.
class LanguageText : public QAccessibleTextInterface
{
public:
    virtual QString languageText() const = 0;

    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override
    {
        return languageText().mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(languageText().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *start, int *end) const override
    {
        return languageAttributes(languageText(), offset, start, end);
    }
};

// A child of a container that has no widget of its own, as a list view's items and a table
// view's cells have none: it lives in its container's window.
class VirtualChild : public QAccessibleInterface
{
public:
    explicit VirtualChild(QWidget *container) : m_container(container) {}

    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_container ? m_container->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_container);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}

protected:
    QRect rectOf(const QWidget *widget) const
    {
        return widget ? QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()) : QRect();
    }

    QPointer<QWidget> m_container;
};

// Children made on demand, each registered with Qt once and deleted with their container's
// interface or when presented afresh.
class ChildIds
{
public:
    ChildIds() = default;
    ChildIds(const ChildIds &) = delete;
    ChildIds &operator=(const ChildIds &) = delete;
    ~ChildIds() { clear(); }

    template <typename Make> QAccessibleInterface *get(int index, Make make)
    {
        if (!m_ids.contains(index)) {
            m_ids.insert(index, QAccessible::registerAccessibleInterface(make()));
        }
        return QAccessible::accessibleInterface(m_ids.value(index));
    }
    int indexOf(const QAccessibleInterface *child) const
    {
        for (auto item = m_ids.cbegin(); item != m_ids.cend(); ++item) {
            if (QAccessible::accessibleInterface(item.value()) == child) {
                return item.key();
            }
        }
        return -1;
    }
    void clear()
    {
        for (QAccessible::Id id : std::as_const(m_ids)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_ids.clear();
    }

private:
    QHash<int, QAccessible::Id> m_ids;
};

} // namespace Forms::Accessible

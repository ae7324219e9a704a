// A widget shown to screen readers as a list whose items are labels laid over it (the
// drill's candidate rows), the marked item as the list's current one.
#include "forms/accessibility.h"
#include "forms/accessibleparts.h"
#include "forms/forms.h"

namespace Forms
{

namespace
{

using Accessible::registry;

ItemList *listOf(const QObject *container)
{
    return registry<ItemList *>().value(container);
}

// One item: not a widget of its own, as a list view's cells are not.
class ItemAccessible : public Accessible::VirtualChild, public QAccessibleActionInterface
{
public:
    ItemAccessible(QWidget *container, int index) : VirtualChild(container), m_index(index) {}

    bool isValid() const override { return m_container && list(); }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? list()->itemName(m_index) : QString();
    }
    QRect rect() const override
    {
        return rectOf(isValid() ? list()->itemWidget(m_index) : nullptr);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        QWidget *widget = list()->itemWidget(m_index);
        state.invisible = !widget || !widget->isVisible();
        state.focusable = true;
        state.selectable = true;
        state.selected = list()->itemSelected(m_index);
        state.active = list()->currentItem() == m_index;
        state.focused = state.active && m_container->hasFocus();
        state.checkable = true;
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid()) {
            list()->pressItem(m_index);
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    ItemList *list() const { return listOf(m_container.data()); }

    int m_index;
};

class ListAccessible : public QAccessibleWidget, public Accessible::Renewable
{
public:
    explicit ListAccessible(QWidget *container) : QAccessibleWidget(container, QAccessible::List)
    {
    }

    int childCount() const override { return list() ? list()->itemCount() : 0; }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        return m_items.get(index, [this, index] { return new ItemAccessible(widget(), index); });
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return m_items.indexOf(child);
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface *item = child(i);
            if (!item->state().invisible && item->rect().contains(x, y)) {
                return item;
            }
        }
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        const int current = list() ? list()->currentItem() : -1;
        return current >= 0 && widget()->hasFocus() ? child(current) : nullptr;
    }

    void renew() override { m_items.clear(); }

private:
    ItemList *list() const { return listOf(widget()); }

    mutable Accessible::ChildIds m_items;
};

} // namespace

namespace Accessible
{

QAccessibleInterface *listInterface(QWidget *widget)
{
    return registry<ItemList *>().contains(widget) ? new ListAccessible(widget) : nullptr;
}

} // namespace Accessible

ItemList::~ItemList()
{
    // A window is destroyed before the widgets it owns: nothing may reach the list then.
    registry<ItemList *>().removeValue(this);
}

void exposeAsList(QWidget *container, ItemList *list, const QList<QWidget *> &covered)
{
    Accessible::installFactory();
    registry<ItemList *>().add(container, list);
    Accessible::forgetInterface(container);
    Accessible::cover(container->parentWidget(), covered);
    Accessible::followFocus(container, &announceCurrentItem);
}

void announceCurrentItem(QWidget *container)
{
    ItemList *list = listOf(container);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(container);
    if (!list || !iface || list->currentItem() < 0 || !container->hasFocus()) {
        return;
    }
    QAccessibleEvent focus(container, QAccessible::Focus);
    focus.setChild(list->currentItem());
    tellScreenReaders(&focus);
}

} // namespace Forms

// Labels taken out of their window's tree for screen readers, so that nothing is read
// twice: those a list or table shows as its items, and captions other names repeat.
#include "forms/accessibility.h"
#include "forms/accessibleparts.h"

#include <QSet>

namespace Forms
{

namespace
{

using Covered = QSet<const QWidget *>; // by window: children left out

// A window whose tree leaves out the labels that a list shows as its items.
class CoveringAccessible : public QAccessibleWidget
{
public:
    explicit CoveringAccessible(QWidget *window) : QAccessibleWidget(window) {}

    int childCount() const override { return static_cast<int>(shown().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> children = shown();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children.at(index))
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? static_cast<int>(shown().indexOf(qobject_cast<QWidget *>(child->object())))
                     : -1;
    }

private:
    QList<QWidget *> shown() const
    {
        const Covered covered = Accessible::registry<Covered>().value(widget());
        QList<QWidget *> children;
        for (QObject *object : widget()->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && !child->isWindow() && !covered.contains(child)) {
                children.append(child);
            }
        }
        return children;
    }
};

} // namespace

namespace Accessible
{

QAccessibleInterface *coveringInterface(QWidget *widget)
{
    return registry<Covered>().contains(widget) ? new CoveringAccessible(widget) : nullptr;
}

void cover(QWidget *window, const QList<QWidget *> &covered)
{
    Covered hidden = registry<Covered>().value(window);
    for (QWidget *widget : covered) {
        hidden.insert(widget);
    }
    registry<Covered>().add(window, hidden);
    forgetInterface(window);
}

} // namespace Accessible

void hideFromScreenReaders(const QList<QWidget *> &widgets)
{
    Accessible::installFactory();
    for (QWidget *widget : widgets) {
        Accessible::cover(widget->parentWidget(), {widget});
    }
}

} // namespace Forms

// Which interface Qt gets for a widget registered with one of the parts, the focus they
// follow, and their children presented afresh.
#include "forms/accessibility.h"
#include "forms/accessibleparts.h"

#include <QEvent>
#include <QTimer>

namespace Forms
{

namespace Accessible
{

namespace
{

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget) {
        return nullptr;
    }
    for (auto make : {listInterface, tableInterface, progressInterface, announcerInterface,
                      coveringInterface}) {
        if (QAccessibleInterface *iface = make(widget)) {
            return iface;
        }
    }
    return nullptr;
}

class FocusFollower : public QObject
{
public:
    FocusFollower(QWidget *container, void (*announceCurrent)(QWidget *))
        : QObject(container), m_announce(announceCurrent)
    {
        container->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            auto *container = static_cast<QWidget *>(watched);
            QTimer::singleShot(0, container, [this, container] { m_announce(container); });
        }
        return false;
    }

private:
    void (*m_announce)(QWidget *);
};

} // namespace

void installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void forgetInterface(QObject *object)
{
    if (const QAccessible::Id id =
            QAccessible::uniqueId(QAccessible::queryAccessibleInterface(object))) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void followFocus(QWidget *container, void (*announceCurrent)(QWidget *))
{
    new FocusFollower(container, announceCurrent);
}

} // namespace Accessible

void renewItems(QWidget *container)
{
    if (auto *children = dynamic_cast<Accessible::Renewable *>(
            QAccessible::queryAccessibleInterface(container))) {
        children->renew();
    }
}

} // namespace Forms

// What screen readers are told beyond the widgets' own texts: announcements read as they
// appear, wherever the focus is, and a progress bar's value read on demand.
#include "forms/accessibility.h"
#include "forms/accessibleparts.h"
#include "forms/forms.h"

namespace Forms
{

namespace
{

const char *const kAnnouncerName = "screenReaderAnnouncer";

struct ProgressSource {
    QString name;
    std::function<int()> value;
    std::function<int()> maximum;
};

// What announce() says: a notification, which Orca reads as soon as it is shown.
class AnnouncerAccessible : public QAccessibleWidget, public Accessible::LanguageText
{
public:
    explicit AnnouncerAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Notification)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            return languageText();
        }
        return t == QAccessible::Description ? widget()->property("description").toString()
                                             : QString();
    }
    QString languageText() const override { return widget()->property("text").toString(); }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
};

class ProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ProgressAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::ProgressBar)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? source().name : QString();
    }
    QVariant currentValue() const override { return source().value(); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return source().maximum(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface *>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }

private:
    ProgressSource source() const
    {
        return Accessible::registry<ProgressSource>().value(widget());
    }
};

} // namespace

namespace Accessible
{

QAccessibleInterface *progressInterface(QWidget *widget)
{
    return registry<ProgressSource>().contains(widget) ? new ProgressAccessible(widget) : nullptr;
}

QAccessibleInterface *announcerInterface(QWidget *widget)
{
    return widget->objectName() == QLatin1String(kAnnouncerName) ? new AnnouncerAccessible(widget)
                                                                 : nullptr;
}

} // namespace Accessible

void announce(QWidget *window, const QString &text, const QString &description)
{
    Accessible::installFactory();
    auto *announcer =
        window->findChild<QWidget *>(QLatin1String(kAnnouncerName), Qt::FindDirectChildrenOnly);
    if (!announcer) {
        // A point of nothing in a corner: it only has to be there to be read.
        announcer = new QWidget(window);
        announcer->setObjectName(QLatin1String(kAnnouncerName));
        announcer->setGeometry(0, 0, 1, 1);
        announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
        announcer->setFocusPolicy(Qt::NoFocus);
        announcer->lower();
        announcer->show();
    }
    announcer->setProperty("text", text);
    announcer->setProperty("description", description);
    QAccessibleEvent shown(announcer, QAccessible::ObjectShow);
    tellScreenReaders(&shown);
}

void exposeAsProgressBar(QWidget *widget, const QString &name, std::function<int()> value,
                         std::function<int()> maximum)
{
    Accessible::installFactory();
    Accessible::registry<ProgressSource>().add(
        widget, ProgressSource{name, std::move(value), std::move(maximum)});
    Accessible::forgetInterface(widget);
}

} // namespace Forms

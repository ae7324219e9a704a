#include "forms/accessibility.h"

#include "forms/forms.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>

namespace Forms
{

namespace
{

QHash<const QObject *, ItemList *> g_lists;            // by container
QHash<const QObject *, QSet<const QWidget *>> g_cover; // by window: children left out
QHash<const QObject *, CellTable *> g_tables;          // by container
struct ProgressSource {
    QString name;
    std::function<int()> value;
    std::function<int()> maximum;
};
QHash<const QObject *, ProgressSource> g_progress;
const char *const kAnnouncerName = "screenReaderAnnouncer";

bool isChinese(char32_t c)
{
    return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0x20000 && c <= 0x3FFFF) || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

// The language of the run of text around offset, for a text interface's attributes.
QString languageAttributes(const QString &text, int offset, int *start, int *end)
{
    const auto chineseAt = [&text](int i) { return isChinese(text.at(i).unicode()); };
    if (text.isEmpty() || offset < 0 || offset >= text.size()) {
        *start = *end = qBound(0, offset, static_cast<int>(text.size()));
        return QString();
    }
    const bool chinese = chineseAt(offset);
    int from = offset;
    int to = offset + 1;
    while (from > 0 && chineseAt(from - 1) == chinese) {
        --from;
    }
    while (to < text.size() && chineseAt(to) == chinese) {
        ++to;
    }
    *start = from;
    *end = to;
    return chinese ? QStringLiteral("language:zh-CN;") : QStringLiteral("language:en;");
}

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

class ListAccessible;

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

// One item: not a widget of its own, as a list view's cells are not.
class ItemAccessible : public VirtualChild, public QAccessibleActionInterface
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
    ItemList *list() const { return g_lists.value(m_container.data()); }

    int m_index;
};

class ListAccessible : public QAccessibleWidget
{
public:
    explicit ListAccessible(QWidget *container) : QAccessibleWidget(container, QAccessible::List)
    {
    }
    ~ListAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_items)) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return list() ? list()->itemCount() : 0; }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        if (!m_items.contains(index)) {
            m_items.insert(index, QAccessible::registerAccessibleInterface(
                                      new ItemAccessible(widget(), index)));
        }
        return QAccessible::accessibleInterface(m_items.value(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto item = m_items.cbegin(); item != m_items.cend(); ++item) {
            if (QAccessible::accessibleInterface(item.value()) == child) {
                return item.key();
            }
        }
        return -1;
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

    void renew()
    {
        for (QAccessible::Id id : std::as_const(m_items)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_items.clear();
    }

private:
    ItemList *list() const { return g_lists.value(widget()); }

    mutable QHash<int, QAccessible::Id> m_items;
};

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
        const QSet<const QWidget *> covered = g_cover.value(widget());
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

// What announce() says: a notification, which Orca reads as soon as it is shown.
class AnnouncerAccessible : public QAccessibleWidget, public LanguageText
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
    ProgressSource source() const { return g_progress.value(widget()); }
};

class TableAccessible;

// One cell, or a column's header (row -1), as a table view's cells are: no widget of its own.
class CellAccessible : public VirtualChild, public QAccessibleTableCellInterface
{
public:
    CellAccessible(QWidget *container, int row, int column)
        : VirtualChild(container), m_row(row), m_column(column)
    {
    }

    bool isValid() const override { return m_container && cells(); }
    QAccessible::Role role() const override
    {
        return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid()) {
            return QString();
        }
        return m_row < 0 ? cells()->columnName(m_column) : cells()->cellText(m_row, m_column);
    }
    QRect rect() const override
    {
        return rectOf(isValid() && m_row >= 0 ? cells()->cellWidget(m_row, m_column) : nullptr);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = m_row >= 0;
        state.selectable = m_row >= 0;
        state.selected = m_row >= 0 && m_row == cells()->currentRow();
        state.focused = state.selected && m_column == 0 && m_container->hasFocus();
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }

    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const;

private:
    CellTable *cells() const { return g_tables.value(m_container.data()); }
    friend class TableAccessible;

    int m_row;
    int m_column;
};

class TableAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit TableAccessible(QWidget *container) : QAccessibleWidget(container, QAccessible::Table)
    {
    }
    ~TableAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_cells)) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && cells() ? cells()->tableName() : QString();
    }
    // Headers first, then the cells row by row, as Qt's table views list them.
    int childCount() const override
    {
        return cells() ? (cells()->rowCount() + 1) * cells()->columnCount() : 0;
    }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        const int columns = cells()->columnCount();
        return cell(index / columns - 1, index % columns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto cell = m_cells.cbegin(); cell != m_cells.cend(); ++cell) {
            if (QAccessible::accessibleInterface(cell.value()) == child) {
                return cell.key();
            }
        }
        return -1;
    }
    QAccessibleInterface *focusChild() const override
    {
        const int current = cells() ? cells()->currentRow() : -1;
        return current >= 0 && widget()->hasFocus() ? cell(current, 0) : nullptr;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface *>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        return row >= 0 && row < rowCount() && column >= 0 && column < columnCount()
                   ? cell(row, column)
                   : nullptr;
    }
    int selectedCellCount() const override { return selectedRowCount() * columnCount(); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> selected;
        for (int row : selectedRows()) {
            for (int column = 0; column < columnCount(); ++column) {
                selected << cell(row, column);
            }
        }
        return selected;
    }
    QString columnDescription(int column) const override
    {
        return cells() ? cells()->columnName(column) : QString();
    }
    QString rowDescription(int) const override { return QString(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    int columnCount() const override { return cells() ? cells()->columnCount() : 0; }
    int rowCount() const override { return cells() ? cells()->rowCount() : 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        const int current = cells() ? cells()->currentRow() : -1;
        return current >= 0 ? QList<int>{current} : QList<int>();
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return selectedRows().contains(row); }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

    QAccessibleInterface *cell(int row, int column) const
    {
        const int index = (row + 1) * columnCount() + column;
        if (!m_cells.contains(index)) {
            m_cells.insert(index, QAccessible::registerAccessibleInterface(
                                      new CellAccessible(widget(), row, column)));
        }
        return QAccessible::accessibleInterface(m_cells.value(index));
    }
    void renew()
    {
        for (QAccessible::Id id : std::as_const(m_cells)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_cells.clear();
    }

private:
    CellTable *cells() const { return g_tables.value(widget()); }

    mutable QHash<int, QAccessible::Id> m_cells;
};

QList<QAccessibleInterface *> CellAccessible::columnHeaderCells() const
{
    auto *owner = dynamic_cast<TableAccessible *>(parent());
    return owner ? QList<QAccessibleInterface *>{owner->cell(-1, m_column)}
                 : QList<QAccessibleInterface *>();
}

QAccessibleInterface *CellAccessible::table() const
{
    return parent();
}

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget) {
        return nullptr;
    }
    if (g_lists.contains(widget)) {
        return new ListAccessible(widget);
    }
    if (g_tables.contains(widget)) {
        return new TableAccessible(widget);
    }
    if (g_progress.contains(widget)) {
        return new ProgressAccessible(widget);
    }
    if (widget->objectName() == QLatin1String(kAnnouncerName)) {
        return new AnnouncerAccessible(widget);
    }
    if (g_cover.contains(widget)) {
        return new CoveringAccessible(widget);
    }
    return nullptr;
}

// An interface made before the widget was registered here would stay in Qt's cache.
void forgetInterface(QObject *object)
{
    if (const QAccessible::Id id =
            QAccessible::uniqueId(QAccessible::queryAccessibleInterface(object))) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

// Screen readers hear of the current item only after Qt has told them of the container
// taking the focus, so that comes first and the item a turn of the event loop later.
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

void cover(QWidget *window, const QList<QWidget *> &covered)
{
    QSet<const QWidget *> &hidden = g_cover[window];
    for (QWidget *widget : covered) {
        hidden.insert(widget);
    }
    QObject::connect(window, &QObject::destroyed, [window] { g_cover.remove(window); });
    forgetInterface(window);
}

} // namespace

void exposeAsList(QWidget *container, ItemList *list, const QList<QWidget *> &covered)
{
    installFactory();
    g_lists.insert(container, list);
    QObject::connect(container, &QObject::destroyed, [container] { g_lists.remove(container); });
    forgetInterface(container);
    cover(container->parentWidget(), covered);
    new FocusFollower(container, &announceCurrentItem);
}

void announceCurrentItem(QWidget *container)
{
    ItemList *list = g_lists.value(container);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(container);
    if (!list || !iface || list->currentItem() < 0 || !container->hasFocus()) {
        return;
    }
    QAccessibleEvent focus(container, QAccessible::Focus);
    focus.setChild(list->currentItem());
    tellScreenReaders(&focus);
}

void renewItems(QWidget *container)
{
    if (auto *list =
            dynamic_cast<ListAccessible *>(QAccessible::queryAccessibleInterface(container))) {
        list->renew();
    }
    if (auto *table =
            dynamic_cast<TableAccessible *>(QAccessible::queryAccessibleInterface(container))) {
        table->renew();
    }
}

void announce(QWidget *window, const QString &text, const QString &description)
{
    installFactory();
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
    installFactory();
    g_progress.insert(widget, {name, std::move(value), std::move(maximum)});
    QObject::connect(widget, &QObject::destroyed, [widget] { g_progress.remove(widget); });
    forgetInterface(widget);
}

void hideFromScreenReaders(const QList<QWidget *> &widgets)
{
    installFactory();
    for (QWidget *widget : widgets) {
        cover(widget->parentWidget(), {widget});
    }
}

void exposeAsTable(QWidget *container, CellTable *table, const QList<QWidget *> &covered)
{
    installFactory();
    g_tables.insert(container, table);
    QObject::connect(container, &QObject::destroyed, [container] { g_tables.remove(container); });
    forgetInterface(container);
    cover(container->parentWidget(), covered);
    new FocusFollower(container, &announceCurrentRow);
}

void announceCurrentRow(QWidget *container)
{
    CellTable *table = g_tables.value(container);
    if (!table || table->currentRow() < 0 || !container->hasFocus()) {
        return;
    }
    QAccessibleEvent focus(container, QAccessible::Focus);
    focus.setChild((table->currentRow() + 1) * table->columnCount());
    tellScreenReaders(&focus);
}

bool holdsChinese(const QString &text)
{
    for (QChar c : text) {
        if (isChinese(c.unicode())) {
            return true;
        }
    }
    return false;
}

} // namespace Forms

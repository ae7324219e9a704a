// A widget shown to screen readers as a table whose cells are labels laid over it (the
// record window's top ten), read a whole row at a time.
#include "forms/accessibility.h"
#include "forms/accessibleparts.h"
#include "forms/forms.h"

namespace Forms
{

namespace
{

CellTable *tableOf(const QObject *container)
{
    return Accessible::registry<CellTable *>().value(container);
}

class TableAccessible;

// One cell, or a column's header (row -1), as a table view's cells are: no widget of its own.
class CellAccessible : public Accessible::VirtualChild, public QAccessibleTableCellInterface
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
    CellTable *cells() const { return tableOf(m_container.data()); }
    friend class TableAccessible;

    int m_row;
    int m_column;
};

class TableAccessible : public QAccessibleWidget,
                        public QAccessibleTableInterface,
                        public Accessible::Renewable
{
public:
    explicit TableAccessible(QWidget *container) : QAccessibleWidget(container, QAccessible::Table)
    {
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
        return m_cells.indexOf(child);
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
        return m_cells.get((row + 1) * columnCount() + column, [this, row, column] {
            return new CellAccessible(widget(), row, column);
        });
    }
    void renew() override { m_cells.clear(); }

private:
    CellTable *cells() const { return tableOf(widget()); }

    mutable Accessible::ChildIds m_cells;
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

} // namespace

namespace Accessible
{

QAccessibleInterface *tableInterface(QWidget *widget)
{
    return registry<CellTable *>().contains(widget) ? new TableAccessible(widget) : nullptr;
}

} // namespace Accessible

CellTable::~CellTable()
{
    // A window is destroyed before the widgets it owns: nothing may reach the table then.
    Accessible::registry<CellTable *>().removeValue(this);
}

void exposeAsTable(QWidget *container, CellTable *table, const QList<QWidget *> &covered)
{
    Accessible::installFactory();
    Accessible::registry<CellTable *>().add(container, table);
    Accessible::forgetInterface(container);
    Accessible::cover(container->parentWidget(), covered);
    Accessible::followFocus(container, &announceCurrentRow);
}

void announceCurrentRow(QWidget *container)
{
    CellTable *table = tableOf(container);
    if (!table || table->currentRow() < 0 || !container->hasFocus()) {
        return;
    }
    QAccessibleEvent focus(container, QAccessible::Focus);
    focus.setChild((table->currentRow() + 1) * table->columnCount());
    tellScreenReaders(&focus);
}

} // namespace Forms

#pragma once

// What screen readers are told of the windows beyond what Qt tells them itself: a widget
// shown as a list whose items are labels laid over it (the drill's candidate rows), those
// labels taken out of the window's own tree so that nothing is read twice, the marked item
// as the list's current one, and a value and a language for the texts that need them.
// Each part has a file of its own: accessiblelist, accessibletable, hiddenlabels,
// announcements and languagemarks, with what they share in accessibleparts.h.

#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace Forms
{

// The items of a list shown over a container widget.
class ItemList
{
public:
    virtual ~ItemList(); // its registration ends with it
    virtual int itemCount() const = 0;
    virtual QWidget *itemWidget(int index) const = 0; // where the item lies, whether it shows
    virtual QString itemName(int index) const = 0;
    virtual bool itemSelected(int index) const = 0; // e.g. a right row already found
    virtual int currentItem() const = 0;            // -1 for none
    virtual void pressItem(int index) = 0;          // the item's one action
};

// Shows container as a list of list's items, with the labels in covered gone from the
// tree of their window. list must live as long as container.
void exposeAsList(QWidget *container, ItemList *list, const QList<QWidget *> &covered);

// The current item changed (or became current again): it takes the focus for screen
// readers, which read it as they read a list view's current item.
void announceCurrentItem(QWidget *container);

// The items' texts changed (a new question, a row found): screen readers keep what they
// read of an item, so each item is presented afresh.
void renewItems(QWidget *container);

// Says text (then description, if any) to a screen reader at once, wherever the focus is:
// a notification of window's own, which Orca reads as it appears. Chinese in the text is
// marked as such.
void announce(QWidget *window, const QString &text, const QString &description = QString());

// Shows widget as a progress bar of the given name, whose value and maximum are read on
// demand (seconds left of a question, say).
void exposeAsProgressBar(QWidget *widget, const QString &name, std::function<int()> value,
                         std::function<int()> maximum);

// Leaves widgets out of their window's tree (a caption that other controls' names repeat).
void hideFromScreenReaders(const QList<QWidget *> &widgets);

// The cells of a table laid out as labels over a container widget.
class CellTable
{
public:
    virtual ~CellTable(); // its registration ends with it
    virtual QString tableName() const = 0;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QWidget *cellWidget(int row, int column) const = 0;
    virtual QString cellText(int row, int column) const = 0;
    virtual int currentRow() const = 0; // -1 for none
};

// Shows container as a table of table's cells, the labels out of their window's tree.
// table must live as long as container.
void exposeAsTable(QWidget *container, CellTable *table, const QList<QWidget *> &covered);
// The current row changed, or the table took the focus: it is read as a whole row.
void announceCurrentRow(QWidget *container);

} // namespace Forms

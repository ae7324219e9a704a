#pragma once

#include "forms/accessibility.h"
#include "forms/forms.h"

#include <QPushButton>

struct ProgramState;

// The record window: the ten best runs of one group, the mark of the last run's place,
// paging through the groups, and clearing a record.
class RecordWindow : public Forms::Form, private Forms::CellTable
{
    Q_OBJECT
public:
    RecordWindow(const ProgramState &state, QWidget *owner);

    void showRecordOf(int group);
    void clearShownRecord(); // asks first
    void showPreviousGroup();
    void showNextGroup();
    void closeWindow();
    void blinkNoPlaceNotice();
    // Shows the drill window's group again with its marks; used when a run ends while
    // this window is open.
    void showDrillGroup();

    int shownGroup() const { return m_shownGroup; }

    Forms::Label *titleLabel = nullptr;
    // Rows 1 to 10, one array a column.
    Forms::ControlArray<Forms::Label> placeNumbers;
    Forms::ControlArray<Forms::Label> pointCells;
    Forms::ControlArray<Forms::Label> wordCountCells;
    Forms::ControlArray<Forms::Label> speedCells;
    Forms::ControlArray<Forms::Label> rateCells;
    Forms::Label *noPlaceNotice = nullptr;
    QPushButton *closeButton = nullptr;
    QPushButton *previousButton = nullptr;
    QPushButton *nextButton = nullptr;
    QPushButton *clearButton = nullptr;
    Forms::Timer *blinkTimer = nullptr;
    // What screen readers read as the table: a place of its own in the tab order, over
    // the cells, whose rows Up and Down walk.
    QWidget *tableArea = nullptr;

    // The table as screen readers read it.
    QString tableName() const override;
    int rowCount() const override { return 10; }
    int columnCount() const override { return 5; }
    QString columnName(int column) const override;
    QWidget *cellWidget(int row, int column) const override;
    QString cellText(int row, int column) const override;
    int currentRow() const override { return m_currentRow; }

protected:
    void onLoad() override;
    void closeFromFrame() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void updateMarks();

    const ProgramState &m_state;
    int m_shownGroup = 0;
    int m_currentRow = 0;
};

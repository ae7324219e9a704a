#pragma once

#include <QVector>

// Turns digits typed during a question into the row numbers shown beside the rows, 1 to
// 15. 2 to 9 name their row at once; 1 waits for a second digit from 0 to 5 (rows 10 to
// 15) and otherwise means row 1, as it does when the wait runs out.
class RowNumberEntry
{
public:
    // The rows the digit completes, in the order they were meant (none while waiting).
    QVector<int> typeDigit(int digit);
    // The wait for a second digit is over: a lone 1 means row 1.
    QVector<int> endWait();
    bool isWaiting() const { return m_waiting; }
    void clear() { m_waiting = false; }

private:
    bool m_waiting = false;
};

#include "drillcore/rownumberentry.h"

QVector<int> RowNumberEntry::typeDigit(int digit)
{
    QVector<int> rows;
    if (m_waiting) {
        m_waiting = false;
        if (digit >= 0 && digit <= 5) {
            rows.append(10 + digit);
            return rows;
        }
        rows.append(1); // the 1 stood alone; the new digit counts on its own
    }
    if (digit == 1) {
        m_waiting = true;
    } else if (digit >= 2 && digit <= 9) {
        rows.append(digit);
    }
    return rows;
}

QVector<int> RowNumberEntry::endWait()
{
    if (!m_waiting) {
        return {};
    }
    m_waiting = false;
    return {1};
}

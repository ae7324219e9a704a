#include "drill/drillwindow.h"

#include <QKeyEvent>

// The drill window's keys: a row's number, the mark moved over the rows and judged, and the
// question's word said again.

void DrillWindow::keyPressEvent(QKeyEvent *event)
{
    // Keys reach the window from the rows, and digits also past a focused button; like a
    // click, a key does nothing while no question is open.
    const int key = event->key();
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    const bool moves =
        key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Home || key == Qt::Key_End;
    const bool judges = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    // S with Ctrl, Alt or Meta belongs to the desktop or the screen reader.
    const bool again = key == Qt::Key_S && !(event->modifiers() & (Qt::ControlModifier |
                                                                   Qt::AltModifier |
                                                                   Qt::MetaModifier));
    if (!digit && !moves && !judges && !again) {
        Forms::Form::keyPressEvent(event);
        return;
    }
    event->accept();
    if (digit) {
        typeRowDigit(key - Qt::Key_0);
    } else if (moves) {
        moveMark(key);
    } else if (again) {
        sayWordAgain();
    } else {
        judgeMarkedRow();
    }
}

void DrillWindow::typeRowDigit(int digit)
{
    if (!m_run.isAnswering()) {
        return;
    }
    const QVector<int> numbers = m_rowNumberEntry.typeDigit(digit);
    secondDigitWait->setEnabled(false);
    if (m_rowNumberEntry.isWaiting()) {
        secondDigitWait->setEnabled(true);
    }
    judgeShownNumbers(numbers);
}

void DrillWindow::endSecondDigitWait()
{
    secondDigitWait->setEnabled(false);
    judgeShownNumbers(m_rowNumberEntry.endWait());
}

void DrillWindow::judgeShownNumbers(const QVector<int> &numbers)
{
    for (int number : numbers) {
        judgeRow(number - 1);
    }
}

void DrillWindow::moveMark(int key)
{
    if (!m_run.isAnswering()) {
        return;
    }
    QVector<int> shown;
    for (int r = 0; r <= DrillRun::kLastRow; ++r) {
        if (m_run.row(r).shown) {
            shown.append(r);
        }
    }
    if (shown.isEmpty()) {
        return;
    }
    const int at = static_cast<int>(shown.indexOf(m_markedRow));
    if (key == Qt::Key_Home || (key == Qt::Key_Down && at < 0)) {
        m_markedRow = shown.first();
    } else if (key == Qt::Key_End || (key == Qt::Key_Up && at < 0)) {
        m_markedRow = shown.last();
    } else if (key == Qt::Key_Down) {
        m_markedRow = shown.at(qMin(at + 1, static_cast<int>(shown.size()) - 1));
    } else if (key == Qt::Key_Up) {
        m_markedRow = shown.at(qMax(at - 1, 0));
    }
    showRunState();
    Forms::announceCurrentItem(rowFrame);
}

void DrillWindow::judgeMarkedRow()
{
    if (m_markedRow >= 0) {
        judgeRow(m_markedRow);
    }
}

void DrillWindow::sayWordAgain()
{
    if (m_run.isAnswering()) {
        emit wordToSay(m_run.questionWord());
    }
}

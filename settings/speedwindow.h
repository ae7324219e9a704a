#pragma once

#include "forms/forms.h"

#include <QFrame>
#include <QPushButton>
#include <QRadioButton>

class DrillWindow;

// The speed window: three options, Fast, Normal and Slow from the top, and OK. It holds no
// state of its own; whatever it chooses goes to the drill window.
class SpeedWindow : public Forms::Form
{
    Q_OBJECT
public:
    explicit SpeedWindow(DrillWindow *drill);

    void applyChosenOption();    // the first selected option, as OK does
    void applyOption(int index); // applies a level and closes, as a double-click does

    Forms::Label *titleLabel = nullptr;
    QFrame *optionFrame = nullptr;
    Forms::ControlArray<QRadioButton> speedOptions;
    QPushButton *okButton = nullptr;

protected:
    void onLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DrillWindow *m_drill;
};

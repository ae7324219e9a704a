#pragma once

#include "base/speedlevel.h"
#include "forms/forms.h"

#include <QFrame>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>

// The speed window: three options, Fast, Normal and Slow from the top, and OK. It holds no
// state of its own: it opens on the level it is given and reports the one chosen.
class SpeedWindow : public Forms::Form
{
    Q_OBJECT
public:
    SpeedWindow(SpeedLevel current, QWidget *owner);

    void applyChosenOption();           // the selected option, as OK does
    void applyOption(SpeedLevel level); // applies a level and closes, as a double-click does

    Forms::Label *titleLabel = nullptr;
    QFrame *optionFrame = nullptr;
    QMap<SpeedLevel, QRadioButton *> speedOptions;
    QPushButton *okButton = nullptr;

signals:
    void speedChosen(SpeedLevel level);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

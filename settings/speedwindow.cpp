#include "settings/speedwindow.h"

#include "drill/drillwindow.h"
#include "shell/programstate.h"

#include <QEvent>

namespace
{

const QColor kWindowBack = Forms::rgb(255, 255, 192);
const QColor kTitleBack = Forms::rgb(192, 255, 192);

struct OptionRow {
    int index;
    const char *caption;
    double left, top, width, height; // inside the option frame
    QColor fore;
};

// Listed top to bottom as the window shows them.
const OptionRow kOptions[] = {
    {2, "Fast (10s)", 180, 180, 1545, 273, Forms::rgb(255, 0, 0)},
    {1, "Normal (20s)", 180, 585, 1590, 273, Forms::rgb(0, 0, 255)},
    {0, "Slow (30s)", 180, 975, 1455, 273, Forms::rgb(0, 128, 0)},
};

} // namespace

SpeedWindow::SpeedWindow(DrillWindow *drill) : Forms::Form(drill, Qt::Dialog), m_drill(drill)
{
    setObjectName(QStringLiteral("speedWindow"));
    setWindowTitle(QStringLiteral("Setting"));
    Forms::setClientSizeTwips(this, 1965, 2205);
    Forms::setBackColor(this, kWindowBack);

    titleLabel = new Forms::Label(this, QStringLiteral("Setting"));
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    Forms::setTwipGeometry(titleLabel, 0, 0, 1965, 300);
    Forms::setDesignFont(titleLabel, QStringLiteral("MS Sans Serif"), 12);
    titleLabel->setAlignment(Qt::AlignCenter);
    Forms::setBackColor(titleLabel, kTitleBack);

    optionFrame = new QFrame(this);
    optionFrame->setObjectName(QStringLiteral("optionFrame"));
    Forms::setTwipGeometry(optionFrame, 120, 360, 1830, 1313);
    optionFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Forms::setBackColor(optionFrame, kWindowBack);

    for (const OptionRow &row : kOptions) {
        auto *option = new QRadioButton(QString::fromLatin1(row.caption), optionFrame);
        option->setObjectName(QStringLiteral("speedOption_%1").arg(row.index));
        Forms::setTwipGeometry(option, row.left, row.top, row.width, row.height);
        Forms::setDesignFont(option, QStringLiteral("Microsoft Sans Serif"), 9);
        Forms::setBackColor(option, kWindowBack);
        Forms::setForeColor(option, row.fore);
        // A radio button has no double-click signal of its own.
        option->installEventFilter(this);
        speedOptions.set(row.index, option);
    }
    speedOptions(1)->setChecked(true);

    okButton = Forms::makeButton(this, QStringLiteral("okButton"), QStringLiteral("OK"), 420, 1740,
                                 1215, 345, QStringLiteral("Microsoft Sans Serif"), 9);
    connect(okButton, &QPushButton::clicked, this, &SpeedWindow::applyChosenOption);

    // OK comes first in the tab order, so it has the focus when the window opens.
    setTabOrder(okButton, speedOptions(2));
    okButton->setFocus();
}

void SpeedWindow::onLoad()
{
    if (QRadioButton *current = speedOptions(m_drill->state().speed - 1)) {
        current->setChecked(true);
    }
}

void SpeedWindow::applyChosenOption()
{
    for (int index = 0; index <= 2; ++index) {
        if (speedOptions(index)->isChecked()) {
            applyOption(index);
            return;
        }
    }
}

void SpeedWindow::applyOption(int index)
{
    m_drill->applySpeed(index);
    unload();
}

bool SpeedWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick && isLoaded()) {
        for (int index : speedOptions.indexes()) {
            if (watched == speedOptions(index)) {
                speedOptions(index)->setChecked(true);
                applyOption(index);
                return true;
            }
        }
    }
    return Forms::Form::eventFilter(watched, event);
}

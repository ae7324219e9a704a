#include "settings/speedwindow.h"

#include <QEvent>

namespace
{

const QColor kWindowBack = Forms::rgb(255, 255, 192);
const QColor kTitleBack = Forms::rgb(192, 255, 192);

struct OptionRow {
    SpeedLevel level;
    const char *caption;
    double left, top, width, height; // inside the option frame
    QColor fore;
};

// Listed top to bottom as the window shows them.
const OptionRow kOptions[] = {
    {SpeedLevel::Fast, "Fast (10s)", 180, 180, 1545, 273, Forms::rgb(255, 0, 0)},
    {SpeedLevel::Normal, "Normal (20s)", 180, 585, 1590, 273, Forms::rgb(0, 0, 255)},
    {SpeedLevel::Slow, "Slow (30s)", 180, 975, 1455, 273, Forms::rgb(0, 128, 0)},
};

} // namespace

SpeedWindow::SpeedWindow(SpeedLevel current, QWidget *owner) : Forms::Form(owner, Qt::Dialog)
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
        option->setObjectName(QStringLiteral("speedOption_") + Speed::caption(row.level));
        Forms::setTwipGeometry(option, row.left, row.top, row.width, row.height);
        Forms::setDesignFont(option, QStringLiteral("Microsoft Sans Serif"), 9);
        Forms::setBackColor(option, kWindowBack);
        Forms::setForeColor(option, row.fore);
        // A radio button has no double-click signal of its own.
        option->installEventFilter(this);
        speedOptions.insert(row.level, option);
    }
    speedOptions.value(current)->setChecked(true);

    okButton = Forms::makeButton(this, QStringLiteral("okButton"), QStringLiteral("OK"), 420, 1740,
                                 1215, 345, QStringLiteral("Microsoft Sans Serif"), 9);
    connect(okButton, &QPushButton::clicked, this, &SpeedWindow::applyChosenOption);

    // OK comes first in the tab order, so it has the focus when the window opens.
    setTabOrder(okButton, speedOptions.value(SpeedLevel::Fast));
    okButton->setFocus();
}

void SpeedWindow::applyChosenOption()
{
    for (auto option = speedOptions.cbegin(); option != speedOptions.cend(); ++option) {
        if (option.value()->isChecked()) {
            applyOption(option.key());
            return;
        }
    }
}

void SpeedWindow::applyOption(SpeedLevel level)
{
    emit speedChosen(level);
    unload();
}

bool SpeedWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick && isLoaded()) {
        for (auto option = speedOptions.cbegin(); option != speedOptions.cend(); ++option) {
            if (watched == option.value()) {
                option.value()->setChecked(true);
                applyOption(option.key());
                return true;
            }
        }
    }
    return Forms::Form::eventFilter(watched, event);
}

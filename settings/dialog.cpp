#include "settings/dialog.h"

#include "drill/begin1.h"
#include "shell/module1.h"

#include <QEvent>

namespace {

const QColor kWindowBack = Forms::rgb(255, 255, 192);
const QColor kTitleBack = Forms::rgb(192, 255, 192);

struct OptionRow
{
    int index;
    const char *caption;
    double left, top, width, height; // inside Frame1
    QColor fore;
};

// Listed top to bottom as the window shows them.
const OptionRow kOptions[] = {
    {2, "Fast (10s)", 180, 180, 1545, 273, Forms::rgb(255, 0, 0)},
    {1, "Normal (20s)", 180, 585, 1590, 273, Forms::rgb(0, 0, 255)},
    {0, "Slow (30s)", 180, 975, 1455, 273, Forms::rgb(0, 128, 0)},
};

} // namespace

Dialog::Dialog(Begin1 *drill) : Forms::Form(drill, Qt::Dialog), m_drill(drill)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("Setting"));
    Forms::setClientSizeTwips(this, 1965, 2205);
    Forms::setBackColor(this, kWindowBack);

    Label2 = new Forms::Label(this, QStringLiteral("Setting"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Forms::setTwipGeometry(Label2, 0, 0, 1965, 300);
    Forms::setDesignFont(Label2, QStringLiteral("MS Sans Serif"), 12);
    Label2->setAlignment(Qt::AlignCenter);
    Forms::setBackColor(Label2, kTitleBack);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Forms::setTwipGeometry(Frame1, 120, 360, 1830, 1313);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Forms::setBackColor(Frame1, kWindowBack);

    for (const OptionRow &row : kOptions) {
        auto *option = new QRadioButton(QString::fromLatin1(row.caption), Frame1);
        option->setObjectName(QStringLiteral("Option1_%1").arg(row.index));
        Forms::setTwipGeometry(option, row.left, row.top, row.width, row.height);
        Forms::setDesignFont(option, QStringLiteral("Microsoft Sans Serif"), 9);
        Forms::setBackColor(option, kWindowBack);
        Forms::setForeColor(option, row.fore);
        // A radio button has no double-click signal of its own.
        option->installEventFilter(this);
        Option1.set(row.index, option);
    }
    Option1(1)->setChecked(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    Forms::setTwipGeometry(OKButton, 420, 1740, 1215, 345);
    Forms::setDesignFont(OKButton, QStringLiteral("Microsoft Sans Serif"), 9);
    // Enter on the focused button applies, as Space does.
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);

    // OK comes first in the tab order, so it has the focus when the window opens.
    setTabOrder(OKButton, Option1(2));
    OKButton->setFocus();
}

void Dialog::Form_Load()
{
    if (QRadioButton *current = Option1(gSpeed - 1)) {
        current->setChecked(true);
    }
}

void Dialog::OKButton_Click()
{
    for (int index = 0; index <= 2; ++index) {
        if (Option1(index)->isChecked()) {
            apply(index);
            return;
        }
    }
}

void Dialog::Option1_DblClick(int index)
{
    apply(index);
}

void Dialog::apply(int index)
{
    m_drill->Common02(static_cast<qint16>(index));
    unload();
}

bool Dialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick && isLoaded()) {
        for (int index : Option1.indexes()) {
            if (watched == Option1(index)) {
                Option1(index)->setChecked(true);
                Option1_DblClick(index);
                return true;
            }
        }
    }
    return Forms::Form::eventFilter(watched, event);
}

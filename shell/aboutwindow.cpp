#include "shell/aboutwindow.h"

#include <QKeyEvent>
#include <QPixmap>

namespace
{

const QColor kWindowBack = Forms::rgb(255, 255, 192);

struct TextRow {
    const char *name;
    double left, top, width, height;
    QColor fore;
    double points;
    bool autoSize;
    const char *caption;
};

const TextRow kTitle = {"titleLabel",          990,   135,   3585,      705,
                        Forms::rgb(0, 128, 0), 14.25, false, "Wordmoor"};
const TextRow kVersion = {"versionLabel",        1035, 945,  1140,          255,
                          Forms::rgb(0, 0, 255), 10.5, true, "Version: 2.0"};
// Index order of the contact lines: the developer, the telephone, the e-mail.
const TextRow kDescriptions[] = {
    {"contactLine_0", 1035, 1260, 2085, 255, Forms::rgb(255, 0, 0), 10.5, true,
     "Developer: the Wordmoor project"},
    {"contactLine_1", 1035, 1620, 2220, 255, Forms::rgb(0, 0, 255), 10.5, true, "Telephone: none"},
    {"contactLine_2", 1035, 1950, 2700, 255, Forms::rgb(255, 0, 0), 10.5, true, "E-mail: none"},
};
const TextRow kDisclaimer = {"statementLabel",      255,  2475, 2145, 195,
                             Forms::rgb(0, 128, 0), 8.25, true, ""};

struct LineRow {
    int index;
    double x1, x2, y;
    int pixels; // drawn thickness
    QColor color;
};

// A grey line with a white one just below it reads as an etched groove.
const LineRow kLines[] = {
    {1, 90, 4620, 2310, 1, Forms::rgb(128, 128, 128)},
    {0, 135, 4620, 2325, 2, Forms::rgb(255, 255, 255)},
};

Forms::Label *makeLabel(QWidget *parent, const TextRow &row)
{
    auto *label = new Forms::Label(parent);
    label->setObjectName(QString::fromLatin1(row.name));
    Forms::setTwipGeometry(label, row.left, row.top, row.width, row.height);
    Forms::setDesignFont(label, QStringLiteral("Microsoft Sans Serif"), row.points);
    Forms::setForeColor(label, row.fore);
    Forms::setTransparent(label);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setCaption(QString::fromLatin1(row.caption));
    label->setAutoSize(row.autoSize);
    return label;
}

// The icon is the emblem at the left of the logo, the square that still reads at 32 pixels.
QPixmap programIcon()
{
    const QPixmap logo(QStringLiteral(":/logo.png"));
    const int side = logo.height();
    return logo.copy(0, 0, side, side)
        .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

AboutWindow::AboutWindow(QWidget *owner) : Forms::Form(owner, Qt::Dialog)
{
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowTitle(QStringLiteral("About"));
    Forms::setClientSizeTwips(this, 4740, 2850);
    Forms::setBackColor(this, kWindowBack);

    iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    Forms::setTwipGeometry(iconLabel, 260, 260, 480, 480);
    Forms::setBackColor(iconLabel, kWindowBack);
    iconLabel->setAlignment(Qt::AlignCenter);
    iconLabel->setPixmap(programIcon());

    titleLabel = makeLabel(this, kTitle);
    versionLabel = makeLabel(this, kVersion);
    for (int index = 0; index < 3; ++index) {
        Forms::Label *label = makeLabel(this, kDescriptions[index]);
        label->setIndex(index);
        contactLines.set(index, label);
    }

    for (const LineRow &row : kLines) {
        auto *line = new QFrame(this);
        line->setObjectName(QStringLiteral("grooveLine_%1").arg(row.index));
        Forms::setTwipGeometry(line, row.x1, row.y, row.x2 - row.x1,
                               row.pixels * Forms::kTwipsPerPixel);
        Forms::setBackColor(line, row.color);
        grooveLines.set(row.index, line);
    }

    statementLabel = makeLabel(this, kDisclaimer);

    okButton = Forms::makeButton(this, QStringLiteral("okButton"), QStringLiteral("OK"), 3250,
                                 2470, 1260, 286, QStringLiteral("Microsoft Sans Serif"), 9);
    okButton->setDefault(true);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &AboutWindow::closeWindow);
}

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    // OK is both the default and the cancel button, wherever the focus is.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        okButton->click();
        event->accept();
        return;
    default:
        Forms::Form::keyPressEvent(event);
    }
}

#include "records/dialog1.h"

#include "records/recordfile.h"
#include "settings/speed.h"
#include "shell/module1.h"
#include "base/numtext.h"


namespace {

using LabelArray = Forms::ControlArray<Forms::Label> Dialog1::*;

const QRgb kBack = qRgb(255, 255, 192);
const QRgb kTitleBack = qRgb(192, 255, 192);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 128, 0);
const QRgb kPurple = qRgb(192, 0, 192);
const QRgb kBrown = qRgb(192, 64, 0);

const char *const kLabelFont = "Microsoft Sans Serif";

// Fixed labels: the column headings and the notice (twips: left, top, width, height).
struct FixedLabel
{
    LabelArray array;
    const char *name;
    int index;
    const char *caption;
    int left, top, width, height;
    QRgb color;
};

const FixedLabel kFixedLabels[] = {
    {&Dialog1::Label1, "Label1", 0, "Place", 180, 645, 525, 255, kBlue},
    {&Dialog1::Label5, "Label5", 0, "Point", 1035, 645, 480, 255, kRed},
    {&Dialog1::Label2, "Label2", 0, " Number", 1845, 375, 810, 255, kGreen},
    {&Dialog1::Label2, "Label2", 11, "of Words", 1845, 600, 855, 255, kGreen},
    {&Dialog1::Label4, "Label4", 0, "Speed", 2835, 600, 615, 255, kPurple},
    {&Dialog1::Label3, "Label3", 0, "Correctness", 3510, 375, 1140, 255, kBrown},
    {&Dialog1::Label3, "Label3", 11, "Rate (%)", 3690, 600, 840, 255, kBrown},
    {&Dialog1::Label1, "Label1", 11, "(No place)", 315, 3615, 1260, 255, kRed},
};

// The cells of rows 1 to 10, one column each, left to right: Place, Point, Number of
// Words, Speed, Correctness Rate. Place numbers are 210 x 210; the other cells are 255
// high and as wide as their text.
struct Column
{
    LabelArray array;
    const char *name;
    const char *caption; // "" for the place numbers, which show their own row number
    int left;
    QRgb color;
    Qt::Alignment align;
};

const Column kColumns[] = {
    {&Dialog1::Label1, "Label1", "", 330, kBlue, Qt::AlignRight},
    {&Dialog1::Label5, "Label5", "0", 1470, kRed, Qt::AlignRight},
    {&Dialog1::Label2, "Label2", "0", 2355, kGreen, Qt::AlignRight},
    {&Dialog1::Label4, "Label4", "-", 3090, kPurple, Qt::AlignHCenter},
    {&Dialog1::Label3, "Label3", "0", 4005, kBrown, Qt::AlignRight},
};

// Tops of the cells, row by row, in the column order above.
const int kRowTops[10][5] = {
    {945, 915, 945, 915, 945},      {1200, 1200, 1200, 1200, 1200},
    {1470, 1470, 1470, 1470, 1470}, {1725, 1725, 1725, 1725, 1725},
    {1980, 1980, 1980, 1980, 1980}, {2250, 2250, 2250, 2250, 2250},
    {2505, 2505, 2505, 2490, 2505}, {2760, 2760, 2760, 2760, 2760},
    {3030, 3030, 3030, 3030, 3030}, {3285, 3285, 3285, 3315, 3285},
};

Forms::Label *makeLabel(QWidget *parent, const char *name, int index, const QString &caption,
                        QRgb color)
{
    auto *label = new Forms::Label(parent, caption);
    label->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    label->setIndex(index);
    Forms::setDesignFont(label, QLatin1String(kLabelFont), 10.5);
    Forms::setForeColor(label, QColor(color));
    Forms::setTransparent(label);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const char *caption, int left,
                        int top, int width, int height, double points)
{
    auto *button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    Forms::setTwipGeometry(button, left, top, width, height);
    Forms::setDesignFont(button, QStringLiteral("MS Sans Serif"), points);
    return button;
}

} // namespace

Dialog1::Dialog1(QWidget *owner) : Forms::Form(owner, Qt::Dialog)
{
    buildControls();
}

void Dialog1::buildControls()
{
    setWindowTitle(QStringLiteral("Record"));
    Forms::setClientSizeTwips(this, 4740, 4005);
    Forms::setBackColor(this, QColor(kBack));

    Label6 = new Forms::Label(this, QStringLiteral("Record"));
    Label6->setObjectName(QStringLiteral("Label6"));
    Forms::setTwipGeometry(Label6, 0, 0, 4770, 300);
    Forms::setDesignFont(Label6, QStringLiteral("MS Sans Serif"), 12);
    Forms::setBackColor(Label6, QColor(kTitleBack));
    Label6->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    for (const FixedLabel &row : kFixedLabels) {
        Forms::Label *label =
            makeLabel(this, row.name, row.index, QLatin1String(row.caption), row.color);
        Forms::setTwipGeometry(label, row.left, row.top, row.width, row.height);
        (this->*row.array).set(row.index, label);
    }
    Label1(11)->hide();

    for (int n = 1; n <= 10; ++n) {
        for (int c = 0; c < 5; ++c) {
            const Column &column = kColumns[c];
            const QString caption =
                c == 0 ? QString::number(n) : QLatin1String(column.caption);
            Forms::Label *label = makeLabel(this, column.name, n, caption, column.color);
            if (c == 0) {
                Forms::setTwipGeometry(label, column.left, kRowTops[n - 1][c], 210, 210);
                // The box is barely taller than the digits: no indent for the border, and
                // centred so that the mark does not clip the number.
                label->setIndent(0);
            } else {
                // Sized while still left-aligned so that the design-time left edge holds;
                // from then on the right-aligned numbers keep their right edge.
                Forms::setTwipGeometry(label, column.left, kRowTops[n - 1][c], 0, 255);
                label->setAutoSize(true);
            }
            label->setAlignment(column.align | (c == 0 ? Qt::AlignVCenter : Qt::AlignTop));
            (this->*column.array).set(n, label);
        }
    }

    // Created first so that it comes first in the tab order.
    OKButton = makeButton(this, "OKButton", "Close", 3840, 3600, 765, 330, 9);
    Command2 = makeButton(this, "Command2", "<<", 1740, 3600, 555, 330, 8);
    Command3 = makeButton(this, "Command3", ">>", 2340, 3600, 555, 330, 8);
    Command1 = makeButton(this, "Command1", "Clear", 3000, 3600, 765, 330, 9);

    Timer1 = new Forms::Timer(this, 500, false);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    connect(OKButton, &QPushButton::clicked, this, &Dialog1::OKButton_Click);
    connect(Command1, &QPushButton::clicked, this, &Dialog1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Dialog1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Dialog1::Command3_Click);
    connect(Timer1, &Forms::Timer::timeout, this, &Dialog1::Timer1_Timer);
}

void Dialog1::Form_Load()
{
    mShownGroup = gGroup;
    FillRecordTable();
    updateMarks();
}

void Dialog1::FillRecordTable()
{
    Label6->setCaption(QStringLiteral("Record of Group ") + NumText::decimalText(mShownGroup));
    const RecordFile::ReadResult record =
        RecordFile::readRecord(RecordFile::recordPath(gInstallPath, mShownGroup));
    // A record that cannot be read shows as ten empty places; there is nothing better to
    // show and the learner can still page on.
    const RecordFile::Table places = record.ok ? record.places : RecordFile::Table{};
    for (int n = 1; n <= 10; ++n) {
        const RecordFile::PlaceRecord &place = places[n - 1];
        Label5(n)->setCaption(NumText::decimalText(place.Point));
        Label2(n)->setCaption(NumText::decimalText(place.NumberOfWords));
        Label4(n)->setCaption(Speed::wordForSpeed(place.Speed));
        Label3(n)->setCaption(NumText::decimalText(place.Rate));
    }
}

// The border and the blinking notice belong to the drill window's group only.
void Dialog1::updateMarks()
{
    const bool drillGroup = mShownGroup == gGroup;
    for (int n = 1; n <= 10; ++n) {
        Label1(n)->setBorderStyle(drillGroup && n == gLastPlace ? 1 : 0);
    }
    if (drillGroup && gLastPlace == 0) {
        Timer1->setEnabled(true);
    } else {
        Timer1->setEnabled(false);
        Label1(11)->hide();
    }
}

void Dialog1::Command1_Click()
{
    if (!Forms::confirm(this, QStringLiteral("Do you really want to clear the record?"),
                        QStringLiteral("Attention!"), Forms::Icon::None)) {
        return;
    }
    // No file (or one that will not go) leaves the table as it is, without a word.
    if (!RecordFile::clearRecord(RecordFile::recordPath(gInstallPath, mShownGroup))) {
        return;
    }
    for (int n = 1; n <= 10; ++n) {
        Label2(n)->setCaption(QStringLiteral("0"));
        Label3(n)->setCaption(QStringLiteral("0"));
        Label4(n)->setCaption(QStringLiteral("-"));
        Label5(n)->setCaption(QStringLiteral("0"));
    }
    Timer1->setEnabled(false);
    Label1(11)->hide();
}

void Dialog1::Command2_Click()
{
    if (mShownGroup > 1) {
        --mShownGroup;
        FillRecordTable();
        updateMarks();
    }
}

void Dialog1::Command3_Click()
{
    if (mShownGroup < gGroupCount) {
        ++mShownGroup;
        FillRecordTable();
        updateMarks();
    }
}

void Dialog1::OKButton_Click()
{
    unload();
}

void Dialog1::closeFromFrame()
{
    OKButton_Click();
}

void Dialog1::Timer1_Timer()
{
    Label1(11)->setHidden(!Label1(11)->isHidden());
}

void Dialog1::showDrillGroup()
{
    mShownGroup = gGroup;
    FillRecordTable();
    updateMarks();
}

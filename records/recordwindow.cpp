#include "records/recordwindow.h"

#include <QKeyEvent>

#include "base/numtext.h"
#include "base/programstate.h"
#include "base/speedlevel.h"
#include "recordkeeping/recordfile.h"

namespace
{

using LabelArray = Forms::ControlArray<Forms::Label> RecordWindow::*;

const QRgb kBack = qRgb(255, 255, 192);
const QRgb kTitleBack = qRgb(192, 255, 192);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 128, 0);
const QRgb kPurple = qRgb(192, 0, 192);
const QRgb kBrown = qRgb(192, 64, 0);

const char *const kLabelFont = "Microsoft Sans Serif";

// The column headings and the notice (twips: left, top, width, height).
struct FixedLabel {
    const char *name;
    const char *caption;
    int left, top, width, height;
    QRgb color;
};

const FixedLabel kFixedLabels[] = {
    {"placeHeading", "Place", 180, 645, 525, 255, kBlue},
    {"pointHeading", "Point", 1035, 645, 480, 255, kRed},
    {"wordCountHeading", " Number", 1845, 375, 810, 255, kGreen},
    {"wordCountHeadingLine2", "of Words", 1845, 600, 855, 255, kGreen},
    {"speedHeading", "Speed", 2835, 600, 615, 255, kPurple},
    {"rateHeading", "Correctness", 3510, 375, 1140, 255, kBrown},
    {"rateHeadingLine2", "Rate (%)", 3690, 600, 840, 255, kBrown},
    {"noPlaceNotice", "(No place)", 315, 3615, 1260, 255, kRed},
};

// The cells of rows 1 to 10, one column each, left to right: Place, Point, Number of
// Words, Speed, Correctness Rate. Place numbers are 210 x 210; the other cells are 255
// high and as wide as their text.
struct Column {
    LabelArray array;
    const char *name;
    const char *caption; // "" for the place numbers, which show their own row number
    int left;
    QRgb color;
    Qt::Alignment align;
};

const Column kColumns[] = {
    {&RecordWindow::placeNumbers, "placeNumber", "", 330, kBlue, Qt::AlignRight},
    {&RecordWindow::pointCells, "pointCell", "0", 1470, kRed, Qt::AlignRight},
    {&RecordWindow::wordCountCells, "wordCountCell", "0", 2355, kGreen, Qt::AlignRight},
    {&RecordWindow::speedCells, "speedCell", "-", 3090, kPurple, Qt::AlignHCenter},
    {&RecordWindow::rateCells, "rateCell", "0", 4005, kBrown, Qt::AlignRight},
};

// Tops of the cells, row by row, in the column order above.
const int kRowTops[10][5] = {
    {945, 915, 945, 915, 945},      {1200, 1200, 1200, 1200, 1200}, {1470, 1470, 1470, 1470, 1470},
    {1725, 1725, 1725, 1725, 1725}, {1980, 1980, 1980, 1980, 1980}, {2250, 2250, 2250, 2250, 2250},
    {2505, 2505, 2505, 2490, 2505}, {2760, 2760, 2760, 2760, 2760}, {3030, 3030, 3030, 3030, 3030},
    {3285, 3285, 3285, 3315, 3285},
};

Forms::Label *makeLabel(QWidget *parent, const QString &name, const QString &caption, QRgb color)
{
    auto *label = new Forms::Label(parent, caption);
    label->setObjectName(name);
    Forms::setDesignFont(label, QLatin1String(kLabelFont), 10.5);
    Forms::setForeColor(label, QColor(color));
    Forms::setTransparent(label);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const char *caption, int left, int top,
                        int width, int height, double points)
{
    return Forms::makeButton(parent, QLatin1String(name), QLatin1String(caption), left, top, width,
                             height, QStringLiteral("MS Sans Serif"), points);
}

} // namespace

RecordWindow::RecordWindow(const ProgramState &state, QWidget *owner)
    : Forms::Form(owner, Qt::Dialog), m_state(state)
{
    buildControls();
}

void RecordWindow::buildControls()
{
    setObjectName(QStringLiteral("recordWindow"));
    setWindowTitle(QStringLiteral("Record"));
    Forms::setClientSizeTwips(this, 4740, 4005);
    Forms::setBackColor(this, QColor(kBack));

    titleLabel = new Forms::Label(this, QStringLiteral("Record"));
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    Forms::setTwipGeometry(titleLabel, 0, 0, 4770, 300);
    Forms::setDesignFont(titleLabel, QStringLiteral("MS Sans Serif"), 12);
    Forms::setBackColor(titleLabel, QColor(kTitleBack));
    titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    for (const FixedLabel &row : kFixedLabels) {
        Forms::Label *label =
            makeLabel(this, QLatin1String(row.name), QLatin1String(row.caption), row.color);
        Forms::setTwipGeometry(label, row.left, row.top, row.width, row.height);
        if (qstrcmp(row.name, "noPlaceNotice") == 0) {
            noPlaceNotice = label;
        }
    }
    noPlaceNotice->hide();

    for (int n = 1; n <= 10; ++n) {
        for (int c = 0; c < 5; ++c) {
            const Column &column = kColumns[c];
            const QString caption = c == 0 ? QString::number(n) : QLatin1String(column.caption);
            Forms::Label *label =
                makeLabel(this, QStringLiteral("%1_%2").arg(QLatin1String(column.name)).arg(n),
                          caption, column.color);
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
    closeButton = makeButton(this, "closeButton", "Close", 3840, 3600, 765, 330, 9);
    previousButton = makeButton(this, "previousButton", "<<", 1740, 3600, 555, 330, 8);
    nextButton = makeButton(this, "nextButton", ">>", 2340, 3600, 555, 330, 8);
    clearButton = makeButton(this, "clearButton", "Clear", 3000, 3600, 765, 330, 9);

    // Last in the tab order, and under the cells: a sighted learner sees nothing of it.
    tableArea = new QWidget(this);
    tableArea->setObjectName(QStringLiteral("tableArea"));
    Forms::setTwipGeometry(tableArea, 120, 360, 4530, 3180);
    tableArea->setAttribute(Qt::WA_TransparentForMouseEvents);
    tableArea->setFocusPolicy(Qt::TabFocus);
    tableArea->lower();
    tableArea->installEventFilter(this);
    QList<QWidget *> cells;
    for (QObject *child : children()) {
        if (auto *label = qobject_cast<Forms::Label *>(child); label && label != titleLabel) {
            cells << label;
        }
    }
    Forms::exposeAsTable(tableArea, this, cells);

    blinkTimer = new Forms::Timer(this, 500, false);
    blinkTimer->setObjectName(QStringLiteral("blinkTimer"));

    connect(closeButton, &QPushButton::clicked, this, &RecordWindow::closeWindow);
    connect(clearButton, &QPushButton::clicked, this, &RecordWindow::clearShownRecord);
    connect(previousButton, &QPushButton::clicked, this, &RecordWindow::showPreviousGroup);
    connect(nextButton, &QPushButton::clicked, this, &RecordWindow::showNextGroup);
    connect(blinkTimer, &Forms::Timer::timeout, this, &RecordWindow::blinkNoPlaceNotice);
}

void RecordWindow::onLoad()
{
    showRecordOf(m_state.group);
    updateMarks();
}

QString RecordWindow::tableName() const
{
    QString name = titleLabel->caption();
    if (m_shownGroup == m_state.group) {
        name += m_state.lastPlace > 0
                    ? QStringLiteral(", the last run took place %1").arg(m_state.lastPlace)
                    : QStringLiteral(", (No place)");
    }
    return name;
}

QString RecordWindow::columnName(int column) const
{
    static const char *const names[] = {"Place", "Point", "Number of Words", "Speed",
                                        "Correctness Rate (%)"};
    return QLatin1String(names[column]);
}

QWidget *RecordWindow::cellWidget(int row, int column) const
{
    const Forms::ControlArray<Forms::Label> *columns[] = {
        &placeNumbers, &pointCells, &wordCountCells, &speedCells, &rateCells};
    return (*columns[column])(row + 1);
}

QString RecordWindow::cellText(int row, int column) const
{
    const QString text = static_cast<Forms::Label *>(cellWidget(row, column))->caption();
    if (column == 0 && m_shownGroup == m_state.group && row + 1 == m_state.lastPlace) {
        return text + QStringLiteral(", the last run's place");
    }
    return text;
}

bool RecordWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tableArea && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const int row = key == Qt::Key_Up     ? qMax(m_currentRow - 1, 0)
                        : key == Qt::Key_Down ? qMin(m_currentRow + 1, rowCount() - 1)
                        : key == Qt::Key_Home ? 0
                        : key == Qt::Key_End  ? rowCount() - 1
                                              : -1;
        if (row >= 0) {
            m_currentRow = row;
            Forms::announceCurrentRow(tableArea);
            return true;
        }
    }
    return Forms::Form::eventFilter(watched, event);
}

void RecordWindow::showRecordOf(int group)
{
    const bool paging = m_shownGroup != 0 && m_shownGroup != group;
    m_shownGroup = group;
    m_currentRow = group == m_state.group && m_state.lastPlace > 0 ? m_state.lastPlace - 1 : 0;
    titleLabel->setCaption(QStringLiteral("Record of Group ") + NumText::decimalText(group));
    const RecordFile::ReadResult record =
        RecordFile::readRecord(RecordFile::recordPath(m_state.installPath, group));
    // A record that cannot be read shows as ten empty places; there is nothing better to
    // show and the learner can still page on.
    const RecordFile::Table places = record.ok ? record.places : RecordFile::Table{};
    for (int n = 1; n <= 10; ++n) {
        const RecordFile::PlaceRecord &place = places[n - 1];
        pointCells(n)->setCaption(NumText::decimalText(place.Point));
        wordCountCells(n)->setCaption(NumText::decimalText(place.NumberOfWords));
        speedCells(n)->setCaption(Speed::captionOfStored(place.Speed));
        rateCells(n)->setCaption(NumText::decimalText(place.Rate));
    }
    // Screen readers keep what they read of a cell; paging, the focus stays on << or >>.
    Forms::renewItems(tableArea);
    if (paging) {
        Forms::announce(this, tableName());
    }
}

// The border and the blinking notice belong to the drill window's group only.
void RecordWindow::updateMarks()
{
    const bool drillGroup = m_shownGroup == m_state.group;
    for (int n = 1; n <= 10; ++n) {
        placeNumbers(n)->setBorderStyle(drillGroup && n == m_state.lastPlace ? 1 : 0);
    }
    if (drillGroup && m_state.lastPlace == 0) {
        blinkTimer->setEnabled(true);
    } else {
        blinkTimer->setEnabled(false);
        noPlaceNotice->hide();
    }
}

void RecordWindow::clearShownRecord()
{
    if (!Forms::confirm(this, QStringLiteral("Do you really want to clear the record?"),
                        QStringLiteral("Attention!"), Forms::Icon::None)) {
        return;
    }
    // No file (or one that will not go) leaves the table as it is, without a word.
    if (!RecordFile::clearRecord(RecordFile::recordPath(m_state.installPath, m_shownGroup))) {
        return;
    }
    for (int n = 1; n <= 10; ++n) {
        wordCountCells(n)->setCaption(QStringLiteral("0"));
        rateCells(n)->setCaption(QStringLiteral("0"));
        speedCells(n)->setCaption(QStringLiteral("-"));
        pointCells(n)->setCaption(QStringLiteral("0"));
    }
    blinkTimer->setEnabled(false);
    noPlaceNotice->hide();
    Forms::renewItems(tableArea);
}

void RecordWindow::showPreviousGroup()
{
    if (m_shownGroup > 1) {
        showRecordOf(m_shownGroup - 1);
        updateMarks();
    }
}

void RecordWindow::showNextGroup()
{
    if (m_shownGroup < m_state.groupCount) {
        showRecordOf(m_shownGroup + 1);
        updateMarks();
    }
}

void RecordWindow::closeWindow()
{
    unload();
}

void RecordWindow::closeFromFrame()
{
    closeWindow();
}

void RecordWindow::blinkNoPlaceNotice()
{
    noPlaceNotice->setHidden(!noPlaceNotice->isHidden());
}

void RecordWindow::showDrillGroup()
{
    showRecordOf(m_state.group);
    updateMarks();
}

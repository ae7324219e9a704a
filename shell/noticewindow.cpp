#include "shell/noticewindow.h"

#include <QStringList>

QString noticeText()
{
    static const char *const kLines[] = {
        "     ",
        "     1. You must first make sure that your computer can correctly display Chinese "
        "characters.",
        "     2. This program is designed for those who have had a good grasp of the way of "
        "expression of English.",
        "     3. It isn't suitable for those who try to learn Chinese words and expressions by "
        "heart.",
        "     4. 20 groups (total 1000) Chinese words and expressions were packed in the setup "
        "program.",
        "     5. You may replace these files with your own collection, if you find that they "
        "cannot meet your need.",
        "     Enjoy!",
    };
    QStringList lines;
    for (const char *line : kLines) {
        lines << QString::fromLatin1(line);
    }
    return lines.join(QStringLiteral("\r\n"));
}

NoticeWindow::NoticeWindow(QWidget *owner) : Forms::Form(owner, Qt::Dialog)
{
    setObjectName(QStringLiteral("noticeWindow"));
    setWindowTitle(QStringLiteral("Notice for Users"));
    Forms::setClientSizeTwips(this, 5775, 3960);
    Forms::setBackColor(this, Forms::rgb(255, 255, 192));

    titleLabel = new Forms::Label(this);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    Forms::setTwipGeometry(titleLabel, 0, 0, 5820, 300);
    Forms::setDesignFont(titleLabel, QStringLiteral("MS Sans Serif"), 12);
    titleLabel->setAlignment(Qt::AlignCenter);
    Forms::setBackColor(titleLabel, Forms::rgb(192, 255, 192));

    textLabel = new Forms::Label(this);
    textLabel->setObjectName(QStringLiteral("textLabel"));
    Forms::setTwipGeometry(textLabel, 180, 465, 5355, 3000);
    Forms::setDesignFont(textLabel, QStringLiteral("MS Sans Serif"), 9.75);
    Forms::setForeColor(textLabel, Forms::rgb(255, 0, 0));
    Forms::setTransparent(textLabel);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel->setWordWrap(true);

    // Enter closes the window while OK has the focus, which it has from the start.
    okButton = Forms::makeButton(this, QStringLiteral("okButton"), QStringLiteral("OK"), 2280,
                                 3555, 1215, 330, QStringLiteral("Microsoft Sans Serif"), 9);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &NoticeWindow::closeWindow);
}

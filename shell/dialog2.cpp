#include "shell/dialog2.h"

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

Dialog2::Dialog2(QWidget *owner) : Forms::Form(owner, Qt::Dialog)
{
    setObjectName(QStringLiteral("Dialog2"));
    setWindowTitle(QStringLiteral("Notice for Users"));
    Forms::setClientSizeTwips(this, 5775, 3960);
    Forms::setBackColor(this, Forms::rgb(255, 255, 192));

    Label2 = new Forms::Label(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Forms::setTwipGeometry(Label2, 0, 0, 5820, 300);
    Forms::setDesignFont(Label2, QStringLiteral("MS Sans Serif"), 12);
    Label2->setAlignment(Qt::AlignCenter);
    Forms::setBackColor(Label2, Forms::rgb(192, 255, 192));

    Label1 = new Forms::Label(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Forms::setTwipGeometry(Label1, 180, 465, 5355, 3000);
    Forms::setDesignFont(Label1, QStringLiteral("MS Sans Serif"), 9.75);
    Forms::setForeColor(Label1, Forms::rgb(255, 0, 0));
    Forms::setTransparent(Label1);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    Forms::setTwipGeometry(OKButton, 2280, 3555, 1215, 330);
    Forms::setDesignFont(OKButton, QStringLiteral("Microsoft Sans Serif"), 9);
    // Enter closes the window while OK has the focus, which it has from the start.
    OKButton->setAutoDefault(true);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &Dialog2::OKButton_Click);
}

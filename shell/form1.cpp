#include "shell/form1.h"

#include "drill/begin1.h"
#include "records/dialog1.h"
#include "settings/dialog.h"
#include "shell/dialog2.h"
#include "shell/frmabout.h"

Form1::Form1(Begin1 *drill) : Forms::Form(drill, Qt::Window), m_drill(drill)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Wordmoor 2.0"));
    Forms::setClientSizeTwips(this, 6645, 1515);

    File = new QMenu(QStringLiteral("File"), this);
    File->setObjectName(QStringLiteral("File"));

    const auto item = [this](const QString &name, const QString &caption,
                             void (Form1::*handler)()) {
        QAction *action = File->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto separator = [this](const QString &name) {
        QAction *action = File->addSeparator();
        action->setObjectName(name);
        return action;
    };

    Record = item(QStringLiteral("Record"), QStringLiteral("Record"), &Form1::Record_Click);
    Setting = item(QStringLiteral("Setting"), QStringLiteral("Setting"), &Form1::Setting_Click);
    Fen1 = separator(QStringLiteral("Fen1"));
    Words = item(QStringLiteral("Words"), QStringLiteral("My Words"), &Form1::Words_Click);
    Fen2 = separator(QStringLiteral("Fen2"));
    About = item(QStringLiteral("About"), QStringLiteral("About"), &Form1::About_Click);
    Fen3 = separator(QStringLiteral("Fen3"));
    Exit = item(QStringLiteral("Exit"), QStringLiteral("Exit"), &Form1::Exit_Click);

    // Nothing can be recorded or shown before the first group has been loaded.
    Record->setEnabled(false);
}

void Form1::Record_Click()
{
    auto *d = Forms::loadForm<Dialog1>(m_drill);
    // A run that ends while the window is open shows its result in this same window.
    m_drill->mOpenRecordWindow = d;
    Forms::showModal(d);
}

void Form1::Setting_Click()
{
    Forms::showModal(Forms::loadForm<Dialog>(m_drill));
}

void Form1::Words_Click()
{
    auto *d = Forms::loadForm<Dialog2>(m_drill);
    d->Label2->setCaption(QStringLiteral("My Words"));
    d->Label1->setCaption(noticeText());
    Forms::showModal(d);
}

void Form1::About_Click()
{
    Forms::showModal(Forms::loadForm<frmAbout>(m_drill));
}

void Form1::Exit_Click()
{
    if (!Forms::confirm(m_drill, QStringLiteral("Do you really want to exit?"),
                        QStringLiteral("Attention!"), Forms::Icon::Information)) {
        return;
    }
    auto *backdrop = qobject_cast<Forms::Form *>(m_drill->parentWidget());
    // The drill window goes first: its unload saves a run in progress.
    m_drill->unload();
    unload();
    if (backdrop) {
        backdrop->unload();
    }
}

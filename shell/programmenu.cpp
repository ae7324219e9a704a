#include "shell/programmenu.h"

#include "drill/drillwindow.h"
#include "records/recordwindow.h"
#include "settings/speedwindow.h"
#include "shell/aboutwindow.h"
#include "shell/noticewindow.h"

ProgramMenu::ProgramMenu(DrillWindow *drill) : Forms::Form(drill, Qt::Window), m_drill(drill)
{
    setObjectName(QStringLiteral("programMenu"));
    setWindowTitle(QStringLiteral("Wordmoor 2.0"));
    Forms::setClientSizeTwips(this, 6645, 1515);

    fileMenu = new QMenu(QStringLiteral("File"), this);
    fileMenu->setObjectName(QStringLiteral("fileMenu"));

    const auto item = [this](const QString &name, const QString &caption,
                             void (ProgramMenu::*handler)()) {
        QAction *action = fileMenu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    recordItem = item(QStringLiteral("recordItem"), QStringLiteral("Record"),
                      &ProgramMenu::openRecordWindow);
    settingItem = item(QStringLiteral("settingItem"), QStringLiteral("Setting"),
                       &ProgramMenu::openSpeedWindow);
    fileMenu->addSeparator();
    myWordsItem =
        item(QStringLiteral("myWordsItem"), QStringLiteral("My Words"), &ProgramMenu::openNotice);
    fileMenu->addSeparator();
    aboutItem =
        item(QStringLiteral("aboutItem"), QStringLiteral("About"), &ProgramMenu::openAbout);
    fileMenu->addSeparator();
    exitItem = item(QStringLiteral("exitItem"), QStringLiteral("Exit"), &ProgramMenu::exitProgram);

    // Nothing can be recorded or shown before the first group has been loaded.
    recordItem->setEnabled(false);
}

void ProgramMenu::openRecordWindow()
{
    auto *window = Forms::loadForm<RecordWindow>(m_drill->state(), m_drill);
    // A run that ends while the window is open shows its result in this same window.
    m_drill->openRecordWindow = window;
    Forms::showModal(window);
}

void ProgramMenu::openSpeedWindow()
{
    Forms::showModal(Forms::loadForm<SpeedWindow>(m_drill));
}

void ProgramMenu::openNotice()
{
    auto *window = Forms::loadForm<NoticeWindow>(m_drill);
    window->titleLabel->setCaption(QStringLiteral("My Words"));
    window->textLabel->setCaption(noticeText());
    Forms::showModal(window);
}

void ProgramMenu::openAbout()
{
    Forms::showModal(Forms::loadForm<AboutWindow>(m_drill));
}

void ProgramMenu::exitProgram()
{
    if (!Forms::confirm(m_drill, QStringLiteral("Do you really want to exit?"),
                        QStringLiteral("Attention!"), Forms::Icon::Information)) {
        return;
    }
    endProgram();
}

void ProgramMenu::endProgram()
{
    auto *backdrop = qobject_cast<Forms::Form *>(m_drill->parentWidget());
    // The drill window goes first: its unload saves a run in progress.
    m_drill->unload();
    unload();
    if (backdrop) {
        backdrop->unload();
    }
}

#include "shell/programmenu.h"

#include "base/programstate.h"
#include "drill/drillwindow.h"
#include "records/recordwindow.h"
#include "settings/speedwindow.h"
#include "shell/aboutwindow.h"
#include "shell/noticewindow.h"

ProgramMenu::ProgramMenu(ProgramState &state, DrillWindow *drill)
    : Forms::Form(drill, Qt::Window), m_state(state), m_drill(drill)
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
    exitItem = fileMenu->addAction(QStringLiteral("Exit"));
    exitItem->setObjectName(QStringLiteral("exitItem"));
    connect(exitItem, &QAction::triggered, this, &ProgramMenu::exitChosen);

    // Nothing can be recorded or shown before the first group has been loaded; the speed
    // cannot change within a run.
    recordItem->setEnabled(false);
    connect(drill, &DrillWindow::groupLoaded, recordItem,
            [this] { recordItem->setEnabled(true); });
    connect(drill, &DrillWindow::runningChanged, settingItem,
            [this](bool running) { settingItem->setEnabled(!running); });
}

void ProgramMenu::openRecordWindow()
{
    auto *window = Forms::loadForm<RecordWindow>(m_state, m_drill);
    // A run that ends while the window is open shows its result in this same window.
    m_drill->openRecordWindow = window;
    Forms::showModal(window);
}

void ProgramMenu::openSpeedWindow()
{
    auto *window = Forms::loadForm<SpeedWindow>(m_drill->run().speed(), m_drill);
    connect(window, &SpeedWindow::speedChosen, m_drill, &DrillWindow::applySpeed);
    Forms::showModal(window);
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

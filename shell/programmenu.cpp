#include "shell/programmenu.h"

#include "base/programstate.h"
#include "drill/drillwindow.h"
#include "records/recordwindow.h"
#include "settings/speedwindow.h"
#include "shell/aboutwindow.h"
#include "shell/noticewindow.h"

#include <QAction>
#include <QMenu>

ProgramMenu::ProgramMenu(ProgramState &state, DrillWindow *drill)
    : QObject(drill), m_state(state), m_drill(drill)
{
    setObjectName(QStringLiteral("programMenu"));
    // The drill window's child, so that it pops up as that window's menu.
    m_menu = new QMenu(QStringLiteral("File"), drill);
    m_menu->setObjectName(QStringLiteral("fileMenu"));

    const auto item = [this](const QString &name, const QString &caption,
                             void (ProgramMenu::*handler)()) {
        QAction *action = m_menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QAction *recordItem = item(QStringLiteral("recordItem"), QStringLiteral("Record"),
                               &ProgramMenu::openRecordWindow);
    QAction *settingItem = item(QStringLiteral("settingItem"), QStringLiteral("Setting"),
                                &ProgramMenu::openSpeedWindow);
    m_menu->addSeparator();
    item(QStringLiteral("myWordsItem"), QStringLiteral("My Words"), &ProgramMenu::openNotice);
    m_menu->addSeparator();
    item(QStringLiteral("aboutItem"), QStringLiteral("About"), &ProgramMenu::openAbout);
    m_menu->addSeparator();
    QAction *exitItem = m_menu->addAction(QStringLiteral("Exit"));
    exitItem->setObjectName(QStringLiteral("exitItem"));
    connect(exitItem, &QAction::triggered, this, &ProgramMenu::exitChosen);

    // Nothing can be recorded or shown before the first group has been loaded; the speed
    // cannot change within a run.
    recordItem->setEnabled(false);
    connect(drill, &DrillWindow::groupLoaded, recordItem,
            [recordItem] { recordItem->setEnabled(true); });
    connect(drill, &DrillWindow::runningChanged, settingItem,
            [settingItem](bool running) { settingItem->setEnabled(!running); });
}

ProgramMenu::~ProgramMenu()
{
    delete m_menu;
}

QMenu *ProgramMenu::menu() const
{
    return m_menu;
}

void ProgramMenu::close()
{
    if (m_menu && m_menu->isVisible()) {
        m_menu->close();
    }
    emit closed();
}

void ProgramMenu::openRecordWindow()
{
    auto *window = Forms::loadForm<RecordWindow>(m_state, m_drill);
    // A run that ends while the window is open shows its result in this same window.
    m_drill->setRecordWindowForRunEnd(window);
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

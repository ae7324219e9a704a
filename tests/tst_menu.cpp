// The menu: its items, their enabled states along a run, the windows they open, and
// the confirmed Exit.

#include "drillfixture.h"

#include "base/programstate.h"
#include "drill/drillwindow.h"
#include "recordkeeping/recordfile.h"
#include "records/recordwindow.h"
#include "shell/backdrop.h"
#include "shell/noticewindow.h"
#include "shell/program.h"
#include "shell/programmenu.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestMenu : public QObject
{
    Q_OBJECT

    // Picks an item the way a learner does: the Menu button, then the item in the popup.
    void chooseFromMenu(const QString &item)
    {
        Forms::setPopupChooser([item](QMenu *menu) { return menu->findChild<QAction *>(item); });
        m_drill->openMenu();
    }

    void loadGroupOne()
    {
        control<QComboBox>(*m_drill, "groupList")->setCurrentIndex(1);
        m_drill->loadChosenGroup();
        QCOMPARE(m_state.group, 1);
    }

    // Clicks the row showing the question's answer (each word has one), or one that does not.
    void answer(bool right)
    {
        const QVector<int> rows = m_drill->run().answerRows();
        int row = right ? rows.first() : 0;
        while (!right && rows.contains(row)) {
            ++row;
        }
        m_drill->judgeRow(row);
    }

    std::unique_ptr<QTemporaryDir> m_install;
    ProgramState m_state;
    std::unique_ptr<Program> m_program;
    DrillWindow *m_drill = nullptr; // owned by the program
    QList<Forms::Message> m_messages;
    Forms::Answer m_answer = Forms::Answer::No;

private slots:
    void init()
    {
        m_install = std::make_unique<QTemporaryDir>();
        m_state = ProgramState();
        m_state.installPath = m_install->path() + "/";
        QVERIFY(QDir(m_state.installPath).mkdir("ciku"));
        QFile group(m_state.installPath + "ciku/ci1.txt");
        QVERIFY(group.open(QIODevice::WriteOnly));
        group.write("shan\r\nmountain\r\nshui\r\nwater\r\nhuo\r\nfire\r\nmu\r\ntree\r\n");
        group.close();
        m_messages.clear();
        m_answer = Forms::Answer::No;
        Forms::setMessageAnswerer([this](const Forms::Message &message) {
            m_messages << message;
            return m_answer;
        });
        Forms::setModalObserver([](Forms::Form *) {});
        m_program = std::make_unique<Program>(m_state);
        m_program->start();
        m_program->backdrop()->showDrillTimer->setEnabled(false);
        m_state.installPath = m_install->path() + "/"; // not the INI's of whoever runs this
        m_program->showDrillWindow();
        m_drill = m_program->drillWindow();
    }

    void cleanup()
    {
        m_program.reset();
        Forms::setPopupChooser({});
        Forms::setModalObserver({});
        Forms::setMessageAnswerer({});
    }

    // Guards against a wrong item list, the menu form shown, Record on before a group is
    // loaded (or off after), and Setting on during a run (or off after it).
    void itemsFollowTheRun()
    {
        ProgramMenu *menu = m_program->menu();
        const auto items = [menu] { // caption ("-": separator), "off" when disabled
            QStringList items;
            for (QAction *a : menu->menu()->actions()) {
                items << (a->isSeparator() ? "-" : a->text()) + (a->isEnabled() ? "" : " off") +
                             (a->shortcut().isEmpty() && !a->isCheckable() ? "" : " marked");
            }
            return items.join(", ");
        };
        const QString rest = ", -, My Words, -, About, -, Exit";
        QCOMPARE(items(), "Record off, Setting" + rest);
        QVERIFY(!menu->menu()->isVisible());
        loadGroupOne();
        QCOMPARE(items(), "Record, Setting" + rest);
        m_drill->startRun();
        QCOMPARE(items(), "Record, Setting off" + rest);
        m_drill->stopRun();
        QCOMPARE(items(), "Record, Setting" + rest);
    }

    // Guards against an item opening the wrong window, unloaded or not owned by the drill
    // window, an unknown record window, and a notice appended to the last one's text.
    void eachItemOpensItsWindow_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::newRow("record") << "recordItem"
                                << "RecordWindow";
        QTest::newRow("setting") << "settingItem"
                                 << "SpeedWindow";
        QTest::newRow("my_words") << "myWordsItem"
                                  << "NoticeWindow";
        QTest::newRow("about") << "aboutItem"
                               << "AboutWindow";
    }

    void eachItemOpensItsWindow()
    {
        QFETCH(QString, item);
        QFETCH(QString, window);
        loadGroupOne();
        QStringList shown;
        Forms::setModalObserver([&](Forms::Form *form) {
            shown << form->metaObject()->className();
            QVERIFY(form->isLoaded() && form->parentWidget() == m_drill);
            QVERIFY(item != "recordItem" || m_drill->recordWindowForRunEnd() == form);
            if (auto *notice = qobject_cast<NoticeWindow *>(form)) {
                QCOMPARE(notice->titleLabel->caption() + "|" + notice->textLabel->caption(),
                         "My Words|" + noticeText());
            }
        });
        chooseFromMenu(item);
        chooseFromMenu(item);
        QCOMPARE(shown, QStringList(2, window));
    }

    // Guards against a changed question, No (Enter's choice) closing anything, and Yes not
    // closing all windows, the drill window first (it saves its run while the others stand).
    void exitAsksFirst()
    {
        QStringList order;
        connect(m_drill, &Forms::Form::unloaded, this, [&] { order << "drill"; });
        connect(m_program->menu(), &ProgramMenu::closed, this, [&] { order << "menu"; });
        connect(m_program->backdrop(), &Forms::Form::unloaded, this, [&] { order << "backdrop"; });
        QSignalSpy ended(m_program.get(), &Program::ended);
        const int loaded = Forms::Form::loadedCount();
        chooseFromMenu("exitItem"); // answered No
        QCOMPARE(m_messages.size(), 1);
        const Forms::Message &q = m_messages.first();
        QCOMPARE(q.text, QString("Do you really want to exit?"));
        QVERIFY(q.title == "Attention!" && q.buttons == Forms::Buttons::YesNo &&
                q.icon == Forms::Icon::Information && q.defaultButton == Forms::Answer::No);
        QVERIFY(order.isEmpty() && Forms::Form::loadedCount() == loaded);

        m_answer = Forms::Answer::Yes;
        chooseFromMenu("exitItem");
        QCOMPARE(order, QStringList({"drill", "menu", "backdrop"}));
        QCOMPARE(Forms::Form::loadedCount(), 0);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].toInt(), 0);
    }

    // Guards against Exit losing a run past its first question (on disk before the last
    // window goes), its speed not stored or not multiplying its point, and a run still in
    // its first question (or the pause after it) saved as a result.
    void exitSavesARunPastItsFirstQuestion_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("answered"); // questions finished before Exit
        QTest::addColumn<bool>("inPause"); // Exit in the pause after them, not the next one
        QTest::addColumn<int>("point");    // 0: no record file at all
        QTest::newRow("third_question_slow") << 0 << 2 << false << 50;
        QTest::newRow("third_question_normal") << 1 << 2 << false << 100;
        QTest::newRow("third_question_fast") << 2 << 2 << false << 150;
        QTest::newRow("first_question") << 1 << 0 << false << 0;
        QTest::newRow("pause_after_first") << 1 << 1 << true << 0;
        QTest::newRow("second_question") << 1 << 1 << false << 200;
    }

    void exitSavesARunPastItsFirstQuestion()
    {
        QFETCH(int, option);
        QFETCH(int, answered);
        QFETCH(bool, inPause);
        QFETCH(int, point);
        loadGroupOne();
        m_drill->applySpeed(Speed::kLevels[option]); // as the speed window applies it
        m_drill->startRun();
        for (int q = 0; q < answered; ++q) {
            if (q > 0) {
                m_drill->endPauseBeforeNextQuestion();
            }
            answer(q == 0);
        }
        if (answered > 0 && !inPause) {
            m_drill->endPauseBeforeNextQuestion();
        }
        QCOMPARE(m_drill->run().questionNumber(), answered + (inPause ? 0 : 1));

        QByteArray saved; // place 1 as it stands when the last window goes
        bool fileThere = false;
        connect(m_program->backdrop(), &Forms::Form::unloaded, this, [&] {
            QFile file(RecordFile::recordPath(m_state.installPath, 1));
            fileThere = file.exists();
            saved = file.open(QIODevice::ReadOnly) ? file.read(10) : QByteArray();
        });
        m_answer = Forms::Answer::Yes;
        chooseFromMenu("exitItem");
        QCOMPARE(Forms::Form::loadedCount(), 0);
        QCOMPARE(fileThere, point > 0);
        if (point > 0) {
            const int rate = 100 / answered;
            const qint16 words = qint16(answered);
            QCOMPARE(saved.toHex(),
                     RecordFile::encode({point, words, qint16(rate), qint16(option + 1)}).toHex());
        }
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"

// The menu form: its items, their enabled states along a run, the windows they open, and
// the confirmed Exit.

#include "drill/begin1.h"
#include "records/dialog1.h"
#include "records/recordfile.h"
#include "shell/dialog2.h"
#include "shell/form1.h"
#include "shell/module1.h"

#include <QDir>
#include <QFile>
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
        m_drill->Command1_Click();
    }

    void loadGroupOne()
    {
        m_drill->Combo1->setCurrentIndex(1);
        m_drill->Combo1_Click();
        QCOMPARE(gGroup, 1);
    }

    // Clicks the row showing the question's answer (each word has one), or one that does not.
    void answer(bool right)
    {
        const QString word = m_drill->mQuestions[m_drill->mQuestion][0];
        for (int row : m_drill->Label2.indexes()) {
            if ((m_drill->Label2(row)->tag() == word) == right) {
                return m_drill->Label2_MouseUp(row, Qt::LeftButton, Qt::NoModifier, 0, 0);
            }
        }
    }

    std::unique_ptr<QTemporaryDir> m_install;
    std::unique_ptr<Forms::Form> m_backdrop;
    Begin1 *m_drill = nullptr; // owned by the backdrop
    QList<Forms::Message> m_messages;
    Forms::Answer m_answer = Forms::Answer::No;

private slots:
    void init()
    {
        resetProgramState();
        m_install = std::make_unique<QTemporaryDir>();
        gInstallPath = m_install->path() + "/";
        QVERIFY(QDir(gInstallPath).mkdir("ciku"));
        QFile group(gInstallPath + "ciku/ci1.txt");
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
        m_backdrop = std::make_unique<Forms::Form>();
        m_backdrop->load();
        m_drill = new Begin1(m_backdrop.get());
        m_drill->load();
    }

    void cleanup()
    {
        m_backdrop.reset();
        Forms::setPopupChooser({});
        Forms::setModalObserver({});
        Forms::setMessageAnswerer({});
    }

    // Guards against a wrong item list, the menu form shown, Record on before a group is
    // loaded (or off after), and Setting on during a run (or off after it).
    void itemsFollowTheRun()
    {
        Form1 *form = m_drill->menuForm();
        const auto items = [form] { // name, caption ("-": separator), "off" when disabled
            QStringList items;
            for (QAction *a : form->File->actions()) {
                items << a->objectName() + (a->isSeparator() ? " -" : " " + a->text()) +
                             (a->isEnabled() ? "" : " off") +
                             (a->shortcut().isEmpty() && !a->isCheckable() ? "" : " marked");
            }
            return items.join(", ");
        };
        const QString rest = ", Fen1 -, Words My Words, Fen2 -, About About, Fen3 -, Exit Exit";
        QCOMPARE(items(), "Record Record off, Setting Setting" + rest);
        QVERIFY(!form->isVisible());
        loadGroupOne();
        QCOMPARE(items(), "Record Record, Setting Setting" + rest);
        m_drill->Command2_Click(); // Start
        QCOMPARE(items(), "Record Record, Setting Setting off" + rest);
        m_drill->Command3_Click(); // Stop
        QCOMPARE(items(), "Record Record, Setting Setting" + rest);
    }

    // Guards against an item opening the wrong window, unloaded or not owned by the drill
    // window, an unknown record window, and a notice appended to the last one's text.
    void eachItemOpensItsWindow_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::newRow("record") << "Record" << "Dialog1";
        QTest::newRow("setting") << "Setting" << "Dialog";
        QTest::newRow("my_words") << "Words" << "Dialog2";
        QTest::newRow("about") << "About" << "frmAbout";
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
            QVERIFY(item != "Record" || m_drill->mOpenRecordWindow.data() == form);
            if (auto *notice = qobject_cast<Dialog2 *>(form)) {
                QCOMPARE(notice->Label2->caption() + "|" + notice->Label1->caption(),
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
        connect(m_drill->menuForm(), &Forms::Form::unloaded, this, [&] { order << "menu"; });
        connect(m_backdrop.get(), &Forms::Form::unloaded, this, [&] { order << "backdrop"; });
        const int loaded = Forms::Form::loadedCount();
        chooseFromMenu("Exit"); // answered No
        QCOMPARE(m_messages.size(), 1);
        const Forms::Message &q = m_messages.first();
        QCOMPARE(q.text, QString("Do you really want to exit?"));
        QVERIFY(q.title == "Attention!" && q.buttons == Forms::Buttons::YesNo &&
                q.icon == Forms::Icon::Information && q.defaultButton == Forms::Answer::No);
        QVERIFY(order.isEmpty() && Forms::Form::loadedCount() == loaded);

        m_answer = Forms::Answer::Yes;
        chooseFromMenu("Exit");
        QCOMPARE(order, QStringList({"drill", "menu", "backdrop"}));
        QCOMPARE(Forms::Form::loadedCount(), 0);
    }

    // Guards against Exit losing the run in progress (on disk before the last window goes),
    // or its speed not stored or not multiplying its point.
    void exitInThirdQuestionSavesTheRun_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("point");
        QTest::newRow("slow") << 0 << 50;
        QTest::newRow("normal") << 1 << 100;
        QTest::newRow("fast") << 2 << 150;
    }

    void exitInThirdQuestionSavesTheRun()
    {
        QFETCH(int, option);
        QFETCH(int, point);
        loadGroupOne();
        m_drill->Common02(qint16(option)); // as the speed window applies it
        m_drill->Command2_Click();
        answer(true);
        m_drill->Timer2_Timer();
        answer(false);
        m_drill->Timer2_Timer();
        QCOMPARE(m_drill->mQuestion, 3);

        QByteArray saved; // place 1 as it stands when the last window goes
        connect(m_backdrop.get(), &Forms::Form::unloaded, this, [&saved] {
            QFile file(RecordFile::recordPath(gInstallPath, 1));
            saved = file.open(QIODevice::ReadOnly) ? file.read(10) : QByteArray();
        });
        m_answer = Forms::Answer::Yes;
        chooseFromMenu("Exit");
        QCOMPARE(saved.toHex(), RecordFile::encode({point, 2, 50, qint16(option + 1)}).toHex());
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"

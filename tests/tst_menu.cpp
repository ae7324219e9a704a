// The menu form: its items, their enabled states along a run, the windows they open, and
// the confirmed Exit.

#include "drill/begin1.h"
#include "records/dialog1.h"
#include "records/recordfile.h"
#include "settings/dialog.h"
#include "shell/dialog2.h"
#include "shell/form1.h"
#include "shell/frmabout.h"
#include "shell/module1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QAction *actionNamed(QMenu *menu, const QString &name)
{
    for (QAction *action : menu->actions()) {
        if (action->objectName() == name) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

class TestMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void itemsInOrder_data();
    void itemsInOrder();
    void itemStatesFollowTheRun();
    void eachItemOpensItsWindow_data();
    void eachItemOpensItsWindow();
    void myWordsTwiceShowsTheTextOnce();
    void exitAsksFirst_data();
    void exitAsksFirst();
    void exitInThirdQuestionSavesTheRun_data();
    void exitInThirdQuestionSavesTheRun();

private:
    void loadGroupOne();
    void chooseFromMenu(const QString &item);
    void answerCurrentQuestion(bool right);

    std::unique_ptr<QTemporaryDir> m_install;
    std::unique_ptr<Forms::Form> m_backdrop;
    Begin1 *m_drill = nullptr; // owned by the backdrop
    QList<Forms::Message> m_messages;
    Forms::Answer m_answer = Forms::Answer::No;
    QMenu *m_poppedUp = nullptr;
};

void TestMenu::init()
{
    resetProgramState();
    m_install = std::make_unique<QTemporaryDir>();
    QVERIFY(m_install->isValid());
    QVERIFY(QDir(m_install->path()).mkdir(QStringLiteral("ciku")));
    QFile group(m_install->path() + QStringLiteral("/ciku/ci1.txt"));
    QVERIFY(group.open(QIODevice::WriteOnly));
    group.write("shan\r\nmountain\r\nshui\r\nwater\r\nhuo\r\nfire\r\nmu\r\ntree;wood\r\n");
    group.close();
    gInstallPath = m_install->path() + QLatin1Char('/');

    m_messages.clear();
    m_answer = Forms::Answer::No;
    Forms::setMessageAnswerer([this](const Forms::Message &message) {
        m_messages << message;
        return m_answer;
    });
    Forms::setModalObserver([](Forms::Form *) {});
    m_poppedUp = nullptr;

    m_backdrop = std::make_unique<Forms::Form>();
    m_backdrop->load();
    m_drill = new Begin1(m_backdrop.get());
    m_drill->load();
}

void TestMenu::cleanup()
{
    m_backdrop.reset();
    m_drill = nullptr;
    Forms::setPopupChooser({});
    Forms::setModalObserver({});
    Forms::setMessageAnswerer({});
    m_install.reset();
}

void TestMenu::loadGroupOne()
{
    m_drill->Combo1->setCurrentIndex(1);
    m_drill->Combo1_Click();
    QCOMPARE(gGroup, 1);
}

// Picks an item the way a learner does: the Menu button, then the item in the popup.
void TestMenu::chooseFromMenu(const QString &item)
{
    Forms::setPopupChooser([this, item](QMenu *menu) {
        m_poppedUp = menu;
        return actionNamed(menu, item);
    });
    m_drill->Command1_Click();
}

void TestMenu::answerCurrentQuestion(bool right)
{
    const QString word = m_drill->mQuestions[m_drill->mQuestion][0];
    for (int row : m_drill->Label2.indexes()) {
        const bool isAnswer = m_drill->Label2(row)->tag() == word;
        if (isAnswer == right) {
            m_drill->Label2_MouseUp(row, Qt::LeftButton, Qt::NoModifier, 0, 0);
            if (!right || !m_drill->mAnswering) {
                return;
            }
        }
    }
}

// Guards against a missing, misnamed or reordered item, a shortcut or check mark, and
// Record being available before any group is loaded.
void TestMenu::itemsInOrder_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // empty for a separator
    QTest::addColumn<bool>("enabled");

    QTest::newRow("record_disabled") << 0 << "Record" << "Record" << false;
    QTest::newRow("setting") << 1 << "Setting" << "Setting" << true;
    QTest::newRow("separator_1") << 2 << "Fen1" << "" << true;
    QTest::newRow("my_words") << 3 << "Words" << "My Words" << true;
    QTest::newRow("separator_2") << 4 << "Fen2" << "" << true;
    QTest::newRow("about") << 5 << "About" << "About" << true;
    QTest::newRow("separator_3") << 6 << "Fen3" << "" << true;
    QTest::newRow("exit") << 7 << "Exit" << "Exit" << true;
}

void TestMenu::itemsInOrder()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);

    Form1 *form = m_drill->menuForm();
    QVERIFY(!form->isVisible());
    const QList<QAction *> actions = form->File->actions();
    QCOMPARE(actions.size(), 8);
    QAction *action = actions.at(position);
    QCOMPARE(action->objectName(), name);
    QCOMPARE(action->isSeparator(), caption.isEmpty());
    if (!caption.isEmpty()) {
        QCOMPARE(action->text(), caption);
    }
    QVERIFY(action->shortcut().isEmpty());
    QVERIFY(!action->isCheckable());
    QCOMPARE(action->isEnabled(), enabled);
}

// Guards against Record going grey again during a run, and Setting staying available
// while a run is in progress (or grey after it).
void TestMenu::itemStatesFollowTheRun()
{
    Form1 *form = m_drill->menuForm();
    loadGroupOne();
    QVERIFY(form->Record->isEnabled());
    QVERIFY(form->Setting->isEnabled());

    m_drill->Command2_Click(); // Start
    QVERIFY(m_drill->mAnswering);
    QVERIFY(form->Record->isEnabled());
    QVERIFY(!form->Setting->isEnabled());

    m_drill->Command3_Click(); // Stop
    QVERIFY(form->Record->isEnabled());
    QVERIFY(form->Setting->isEnabled());
    QVERIFY(m_messages.isEmpty());
}

// Guards against an item opening the wrong window, a window without the drill window as
// owner, or one left loaded behind the modal show.
void TestMenu::eachItemOpensItsWindow_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::newRow("record") << "Record" << "Dialog1";
    QTest::newRow("setting") << "Setting" << "Dialog";
    QTest::newRow("my_words") << "Words" << "Dialog2";
    QTest::newRow("about") << "About" << "frmAbout";
}

void TestMenu::eachItemOpensItsWindow()
{
    QFETCH(QString, item);
    QFETCH(QString, window);
    loadGroupOne();

    QList<QPointer<Forms::Form>> shown;
    Forms::setModalObserver([&](Forms::Form *form) {
        shown << form;
        QVERIFY(form->isLoaded());
        QCOMPARE(form->parentWidget(), m_drill);
        if (item == QLatin1String("Record")) {
            QCOMPARE(m_drill->mOpenRecordWindow.data(), form);
        }
    });
    chooseFromMenu(item);

    QCOMPARE(m_poppedUp, m_drill->menuForm()->File);
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first());
    QCOMPARE(QString::fromLatin1(shown.first()->metaObject()->className()), window);
    QVERIFY(!shown.first()->isLoaded());
    QVERIFY(m_drill->isLoaded());
}

// Guards against the notice being appended to an earlier opening's text.
void TestMenu::myWordsTwiceShowsTheTextOnce()
{
    QStringList titles;
    QStringList texts;
    Forms::setModalObserver([&](Forms::Form *form) {
        auto *notice = qobject_cast<Dialog2 *>(form);
        QVERIFY(notice);
        titles << notice->Label2->caption();
        texts << notice->Label1->caption();
        notice->OKButton->click();
    });
    chooseFromMenu(QStringLiteral("Words"));
    chooseFromMenu(QStringLiteral("Words"));

    QCOMPARE(titles, QStringList({QStringLiteral("My Words"), QStringLiteral("My Words")}));
    QCOMPARE(texts, QStringList({noticeText(), noticeText()}));
}

// Guards against a changed question, against No (which Enter chooses) closing anything,
// and against Yes closing the windows in another order (the drill window must save its run
// while the others still stand) or leaving one loaded.
void TestMenu::exitAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("unloaded");
    QTest::newRow("answered_no") << false << QStringList();
    QTest::newRow("answered_yes") << true << QStringList({"drill", "menu", "backdrop"});
}

void TestMenu::exitAsksFirst()
{
    QFETCH(bool, yes);
    QFETCH(QStringList, unloaded);
    QStringList order;
    const QList<QPair<Forms::Form *, QString>> windows = {
        {m_drill, QStringLiteral("drill")},
        {m_drill->menuForm(), QStringLiteral("menu")},
        {m_backdrop.get(), QStringLiteral("backdrop")}};
    for (const auto &[window, name] : windows) {
        connect(window, &Forms::Form::unloaded, this, [&order, name = name] { order << name; });
    }
    const int loaded = Forms::Form::loadedCount();
    m_answer = yes ? Forms::Answer::Yes : Forms::Answer::No;
    chooseFromMenu(QStringLiteral("Exit"));

    QCOMPARE(m_messages.size(), 1);
    const Forms::Message &question = m_messages.first();
    QCOMPARE(question.text, QStringLiteral("Do you really want to exit?"));
    QCOMPARE(question.title, QStringLiteral("Attention!"));
    QVERIFY(question.buttons == Forms::Buttons::YesNo);
    QVERIFY(question.icon == Forms::Icon::Information);
    QVERIFY(question.defaultButton == Forms::Answer::No);
    QCOMPARE(order, unloaded);
    QCOMPARE(Forms::Form::loadedCount(), yes ? 0 : loaded);
}

// Guards against a run in progress being lost at Exit, and against the speed not being
// stored with it or not multiplying its point.
void TestMenu::exitInThirdQuestionSavesTheRun_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("point");
    QTest::newRow("slow") << 0 << 50;
    QTest::newRow("normal") << 1 << 100;
    QTest::newRow("fast") << 2 << 150;
}

void TestMenu::exitInThirdQuestionSavesTheRun()
{
    QFETCH(int, option);
    QFETCH(int, point);
    loadGroupOne();
    Forms::setModalObserver([option](Forms::Form *form) {
        auto *setting = qobject_cast<Dialog *>(form);
        QVERIFY(setting);
        setting->Option1(option)->click();
        setting->OKButton->click();
    });
    chooseFromMenu(QStringLiteral("Setting"));
    QCOMPARE(gSpeed, option + 1);

    m_drill->Command2_Click();
    answerCurrentQuestion(true);
    m_drill->Timer2_Timer();
    answerCurrentQuestion(false);
    m_drill->Timer2_Timer();
    QCOMPARE(m_drill->mQuestion, 3);

    const QString path = RecordFile::recordPath(gInstallPath, 1);
    RecordFile::PlaceRecord savedBeforeBackdrop;
    connect(m_backdrop.get(), &Forms::Form::unloaded, this, [&] {
        savedBeforeBackdrop = RecordFile::readRecord(path).places[0];
    });
    m_answer = Forms::Answer::Yes;
    chooseFromMenu(QStringLiteral("Exit"));

    QVERIFY(!m_backdrop->isLoaded());
    QCOMPARE(savedBeforeBackdrop.Point, point);
    QCOMPARE(savedBeforeBackdrop.NumberOfWords, 2);
    QCOMPARE(savedBeforeBackdrop.Rate, 50);
    QCOMPARE(savedBeforeBackdrop.Speed, option + 1);
    QCOMPARE(gLastPlace, 1);
}

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"

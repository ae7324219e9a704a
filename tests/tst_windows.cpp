// The small modal windows: the speed window, the notice and About; and where controls sit.

#include "drillfixture.h"

#include "base/programstate.h"
#include "drill/drillwindow.h"
#include "records/recordwindow.h"
#include "settings/speedwindow.h"
#include "shell/aboutwindow.h"
#include "shell/backdrop.h"
#include "shell/noticewindow.h"
#include "shell/program.h"

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <memory>

class TestWindows : public QObject
{
    Q_OBJECT

    // Builds and loads a window over the drill window.
    Forms::Form *open(const QString &name)
    {
        DrillWindow *drill = m_drill.get();
        if (name == "speed") {
            auto *window = Forms::loadForm<SpeedWindow>(m_startSpeed, drill);
            connect(window, &SpeedWindow::speedChosen, drill, &DrillWindow::applySpeed);
            return window;
        }
        return name == "record"
                   ? static_cast<Forms::Form *>(Forms::loadForm<RecordWindow>(m_state, drill))
               : name == "notice"
                   ? static_cast<Forms::Form *>(Forms::loadForm<NoticeWindow>(drill))
                   : Forms::loadForm<AboutWindow>(drill);
    }

    std::unique_ptr<QTemporaryDir> m_install;
    ProgramState m_state;
    std::unique_ptr<DrillWindow> m_drill;
    SpeedLevel m_startSpeed = SpeedLevel::Normal; // the speed window opens on it

private slots:
    void init()
    {
        // An empty installation: the drill window finds no groups and asks nothing.
        m_install = std::make_unique<QTemporaryDir>();
        m_state = ProgramState();
        m_state.installPath = m_install->path() + "/";
        Forms::setMessageAnswerer([](const Forms::Message &message) {
            qWarning("unexpected message box: %s", qPrintable(message.text));
            return Forms::Answer::No;
        });
        m_drill = std::make_unique<DrillWindow>(m_state);
        m_drill->load();
    }

    // Guards against OK without the focus, the speed window opening on Normal whatever the
    // level, a way out of it applying the wrong level (or none, or not through the drill window),
    // About's OK not answering Enter and Esc, and a window left loaded.
    void closing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("startSpeed");
        QTest::addColumn<int>("choose"); // option clicked first; -1 leaves the selection
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("speed");
        QTest::newRow("speed_ok_fast") << "speed" << 2 << 2 << "ok" << 3;
        QTest::newRow("speed_ok_normal_from_fast") << "speed" << 3 << 1 << "ok" << 2;
        // The level is set behind the drill window's back, so only a real re-apply shows "Fast".
        QTest::newRow("speed_ok_unchanged_reapplies") << "speed" << 3 << -1 << "ok" << 3;
        QTest::newRow("speed_return_on_ok_slow") << "speed" << 2 << 0 << "return" << 1;
        QTest::newRow("speed_double_click_slow") << "speed" << 2 << -1 << "double_click_Slow" << 1;
        QTest::newRow("speed_double_click_fast") << "speed" << 1 << -1 << "double_click_Fast" << 3;
        // Only OK and a double-click apply a level; the frame's close changes nothing.
        QTest::newRow("speed_frame_close_keeps_level") << "speed" << 2 << 2 << "frame" << 2;
        QTest::newRow("notice_return_on_ok") << "notice" << 2 << -1 << "return" << 2;
        QTest::newRow("notice_frame_close") << "notice" << 2 << -1 << "frame" << 2;
        QTest::newRow("about_return_on_ok") << "about" << 2 << -1 << "return" << 2;
        QTest::newRow("about_enter_on_ok") << "about" << 2 << -1 << "enter" << 2;
        QTest::newRow("about_escape_on_window") << "about" << 2 << -1 << "escape" << 2;
        QTest::newRow("about_frame_close") << "about" << 2 << -1 << "frame" << 2;
    }

    void closing()
    {
        QFETCH(QString, window);
        QFETCH(int, startSpeed);
        QFETCH(int, choose);
        QFETCH(QString, how);
        QFETCH(int, speed);
        m_startSpeed = Speed::kLevels[startSpeed - 1];
        Forms::Form *form = open(window);
        auto *ok = form->findChild<QPushButton *>();
        QCOMPARE(form->focusWidget(), ok);
        if (auto *setting = qobject_cast<SpeedWindow *>(form)) {
            // and so no other
            QVERIFY(setting->speedOptions.value(Speed::kLevels[startSpeed - 1])->isChecked());
            if (choose >= 0) {
                setting->speedOptions.value(Speed::kLevels[choose])->click();
            }
        }
        QWidget *option = form->findChild<QWidget *>(QString("speedOption_") + how.mid(13));
        how == "ok"      ? ok->click()
        : how == "frame" ? void(form->close())
        : how.startsWith("double_click")
            ? QTest::mouseDClick(option, Qt::LeftButton)
            : QTest::keyClick(how == "escape" ? form : static_cast<QWidget *>(ok),
                              how == "return"  ? Qt::Key_Return
                              : how == "enter" ? Qt::Key_Enter
                                               : Qt::Key_Escape);
        QVERIFY(!form->isLoaded());
        QCOMPARE(Speed::multiplier(m_drill->run().speed()), speed);
        QCOMPARE(control(*m_drill, "speedLabel")->caption(),
                 QStringList({"Slow", "Normal", "Fast"}).at(speed - 1));
    }

    // Guards against a push button that Enter or keypad Enter leaves alone when it has the
    // focus (only Space pressed it outside a dialog).
    void enterPressesFocusedButton_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        for (const char *button : {"menuButton", "startButton", "stopButton"}) {
            QTest::newRow(QByteArray("drill_") + button)
                << "drill" << button << int(Qt::Key_Return);
        }
        QTest::newRow("drill_stop_keypad") << "drill"
                                           << "stopButton" << int(Qt::Key_Enter);
        for (const char *button : {"previousButton", "nextButton", "clearButton", "closeButton"}) {
            QTest::newRow(QByteArray("record_") + button)
                << "record" << button << int(Qt::Key_Return);
        }
        QTest::newRow("record_close_keypad") << "record"
                                             << "closeButton" << int(Qt::Key_Enter);
        QTest::newRow("speed_ok_keypad") << "speed"
                                         << "okButton" << int(Qt::Key_Enter);
        QTest::newRow("notice_ok_keypad") << "notice"
                                          << "okButton" << int(Qt::Key_Enter);
    }

    void enterPressesFocusedButton()
    {
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(int, key);
        Forms::setPopupChooser([](QMenu *) { return nullptr; });
        QWidget *form = window == "drill" ? static_cast<QWidget *>(m_drill.get()) : open(window);
        auto *pushButton = form->findChild<QPushButton *>(button);
        QVERIFY(pushButton);
        pushButton->setEnabled(true); // Start and Stop wait for a group and a run
        QSignalSpy clicks(pushButton, &QPushButton::clicked);
        QTest::keyClick(pushButton, Qt::Key(key));
        Forms::setPopupChooser({});
        QCOMPARE(clicks.count(), 1);
    }

    // Guards against windows that the window manager may stack below their owners: the drill
    // window over the backdrop, every modal window over the drill window, each a transient
    // of a dialog type (the only kind X11 window managers are told about).
    void ownersAreRealTransients()
    {
        Program program(m_state);
        program.start();
        program.backdrop()->showDrillTimer->setEnabled(false);
        program.showDrillWindow();
        DrillWindow *drill = program.drillWindow();
        QVERIFY(drill && drill->windowHandle());
        QCOMPARE(drill->windowHandle()->transientParent(), program.backdrop()->windowHandle());
        QCOMPARE(drill->windowHandle()->type(), Qt::Dialog);
        for (const QString &name : QStringList{"speed", "record", "notice", "about"}) {
            Forms::Form *form =
                name == "record"
                    ? static_cast<Forms::Form *>(Forms::loadForm<RecordWindow>(m_state, drill))
                    : open(name);
            if (name != "record") {
                form->setParent(drill, form->windowFlags());
            }
            form->winId();
            QCOMPARE(form->windowHandle()->transientParent(), drill->windowHandle());
            QCOMPARE(form->windowHandle()->type(), Qt::Dialog);
        }
    }

    // Guards against controls in the wrong parent (the options sit in the frame) or place.
    void controlsSitAtDesignPlaces_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("pixels"); // in the window's client area
        QTest::newRow("setting_fast_on_top") << "speed"
                                             << "speedOption_Fast" << QRect(20, 36, 103, 18);
        QTest::newRow("setting_slow_below") << "speed"
                                            << "speedOption_Slow" << QRect(20, 89, 97, 18);
        QTest::newRow("record_place_10") << "record"
                                         << "placeNumber_10" << QRect(22, 219, 14, 14);
        QTest::newRow("notice_text") << "notice"
                                     << "textLabel" << QRect(12, 31, 357, 200);
        QTest::newRow("about_grey_line") << "about"
                                         << "grooveLine_1" << QRect(6, 154, 302, 1);
    }

    void controlsSitAtDesignPlaces()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QRect, pixels);
        Forms::Form *form = open(window);
        auto *widget = form->findChild<QWidget *>(control);
        QVERIFY(widget);
        QCOMPARE(QRect(widget->mapTo(form, QPoint(0, 0)), widget->size()), pixels);
    }

    // Guards against any changed byte of the notice (words, spaces, CR LF line ends), and a
    // notice that does not wrap or runs below its label.
    void noticeText()
    {
        const QByteArray expected =
            "     \r\n"
            "     1. You must first make sure that your computer can correctly display Chinese "
            "characters.\r\n"
            "     2. This program is designed for those who have had a good grasp of the way of "
            "expression of English.\r\n"
            "     3. It isn't suitable for those who try to learn Chinese words and expressions "
            "by heart.\r\n"
            "     4. 20 groups (total 1000) Chinese words and expressions were packed in the "
            "setup program.\r\n"
            "     5. You may replace these files with your own collection, if you find that "
            "they cannot meet your need.\r\n"
            "     Enjoy!";
        QCOMPARE(::noticeText().toUtf8(), expected);

        Forms::Label *label = static_cast<NoticeWindow *>(open("notice"))->textLabel;
        label->setCaption(::noticeText());
        const int needed = label->heightForWidth(label->width());
        const int lines = ::noticeText().count("\r\n") + 1; // wrapping must add to them
        QVERIFY(needed > lines * label->fontMetrics().lineSpacing());
        QVERIFY2(needed <= label->height(), qPrintable(QString::number(needed)));
    }

    // Guards against a changed text, a label cutting it off, and the logo not linked in.
    void aboutTexts_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::newRow("title") << "titleLabel"
                               << "Wordmoor";
        QTest::newRow("version") << "versionLabel"
                                 << "Version: 2.0";
        QTest::newRow("developer") << "contactLine_0"
                                   << "Developer: the Wordmoor project";
        QTest::newRow("telephone") << "contactLine_1"
                                   << "Telephone: none";
        QTest::newRow("email") << "contactLine_2"
                               << "E-mail: none";
        QTest::newRow("disclaimer_empty") << "statementLabel"
                                          << "";
    }

    void aboutTexts()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        auto *about = static_cast<AboutWindow *>(open("about"));
        auto *label = about->findChild<Forms::Label *>(control);
        QVERIFY(label);
        QCOMPARE(label->caption(), text);
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QVERIFY(label->x() + label->width() <= about->width());
        QCOMPARE(about->iconLabel->pixmap().size(), QSize(32, 32));
    }

    // Where the forms are drawn inside the backdrop (Wayland): guards against a drill
    // window or a modal window off the middle, a click reaching the drill window past a
    // modal one, Tab leaving it, a key it leaves unused sent back to it without end (a stack
    // overflow), keys not handed back when it closes or the backdrop is clicked, and a box
    // without its title or the keys.
    void embeddedFormsCentredModalAndKeyed()
    {
        Forms::setEmbeddedForms(true);
        Forms::setMessageAnswerer({});
        int popups = 0;
        Forms::setPopupChooser([&](QMenu *) { return ++popups, nullptr; });
        const auto restore = qScopeGuard([] {
            Forms::setEmbeddedForms(false);
            Forms::setPopupChooser({});
        });
        Program program(m_state);
        program.start();
        Backdrop *backdrop = program.backdrop();
        backdrop->showDrillTimer->setEnabled(false);
        QVERIFY(QTest::qWaitForWindowActive(backdrop));
        program.showDrillWindow();
        DrillWindow *drill = program.drillWindow();
        QWidget *drillFrame = Forms::outerFrame(drill);
        const auto centredOn = [](QWidget *frame, const QPoint &point) {
            return (frame->geometry().center() - point).manhattanLength() <= 2;
        };
        QCOMPARE(drillFrame->parentWidget(), backdrop);
        QVERIFY(centredOn(drillFrame, backdrop->rect().center()));
        QWidget *before = QApplication::focusWidget();
        QVERIFY(drill->isAncestorOf(before));
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            auto *record = backdrop->findChild<RecordWindow *>();
            const auto close = qScopeGuard([record] { record->unload(); });
            QVERIFY(centredOn(Forms::outerFrame(record), drillFrame->geometry().center()));
            for (int i = 0; i < 6; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QVERIFY(record->isAncestorOf(QApplication::focusWidget()));
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
            QTest::mouseClick(control<QPushButton>(*drill, "menuButton"), Qt::LeftButton);
            QCOMPARE(popups, 0);
            checked = true;
        });
        Forms::showModal(Forms::loadForm<RecordWindow>(m_state, drill));
        QVERIFY(checked);
        QCOMPARE(QApplication::focusWidget(), before);
        before->clearFocus();
        QTest::mouseClick(backdrop, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(drill->isAncestorOf(QApplication::focusWidget()));

        QTimer::singleShot(0, this, [&] {
            auto *box = backdrop->findChild<QMessageBox *>();
            QVERIFY(box && box->isAncestorOf(QApplication::focusWidget()));
            QVERIFY(centredOn(Forms::outerFrame(box), drillFrame->geometry().center()));
            QCOMPARE(Forms::outerFrame(box)->findChild<QLabel *>("frameTitle")->text(),
                     QStringLiteral("Attention!"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QVERIFY(!Forms::confirm(drill, "Sure?", "Attention!", Forms::Icon::Information));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"

// The small modal windows: the speed window, the notice and About; and where controls sit.

#include "drill/begin1.h"
#include "records/dialog1.h"
#include "settings/dialog.h"
#include "shell/dialog2.h"
#include "shell/frmabout.h"
#include "shell/module1.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestWindows : public QObject
{
    Q_OBJECT

    // Builds and loads a window over the drill window.
    Forms::Form *open(const QString &name)
    {
        Begin1 *drill = m_drill.get();
        return name == "Dialog"    ? static_cast<Forms::Form *>(Forms::loadForm<Dialog>(drill))
               : name == "Dialog1" ? Forms::loadForm<Dialog1>(drill)
               : name == "Dialog2" ? static_cast<Forms::Form *>(Forms::loadForm<Dialog2>(drill))
                                   : Forms::loadForm<frmAbout>(drill);
    }

    std::unique_ptr<QTemporaryDir> m_install;
    std::unique_ptr<Begin1> m_drill;

private slots:
    void init()
    {
        resetProgramState();
        // An empty installation: the drill window finds no groups and asks nothing.
        m_install = std::make_unique<QTemporaryDir>();
        gInstallPath = m_install->path() + "/";
        Forms::setMessageAnswerer([](const Forms::Message &message) {
            qWarning("unexpected message box: %s", qPrintable(message.text));
            return Forms::Answer::No;
        });
        m_drill = std::make_unique<Begin1>();
        m_drill->load();
    }

    // Guards against OK without the focus, the speed window opening on Normal whatever the
    // level, a way out of it applying the wrong level (or none, or not through Common02),
    // About's OK not answering Enter and Esc, and a window left loaded.
    void closing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("startSpeed");
        QTest::addColumn<int>("choose"); // option clicked first; -1 leaves the selection
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("speed");
        QTest::newRow("speed_ok_fast") << "Dialog" << 2 << 2 << "ok" << 3;
        QTest::newRow("speed_ok_normal_from_fast") << "Dialog" << 3 << 1 << "ok" << 2;
        // gSpeed is set behind the drill window's back, so only a real re-apply shows "Fast".
        QTest::newRow("speed_ok_unchanged_reapplies") << "Dialog" << 3 << -1 << "ok" << 3;
        QTest::newRow("speed_return_on_ok_slow") << "Dialog" << 2 << 0 << "return" << 1;
        QTest::newRow("speed_double_click_slow") << "Dialog" << 2 << -1 << "double_click_0" << 1;
        QTest::newRow("speed_double_click_fast") << "Dialog" << 1 << -1 << "double_click_2" << 3;
        QTest::newRow("speed_frame_close_fast") << "Dialog" << 2 << 2 << "frame" << 3;
        QTest::newRow("notice_return_on_ok") << "Dialog2" << 2 << -1 << "return" << 2;
        QTest::newRow("notice_frame_close") << "Dialog2" << 2 << -1 << "frame" << 2;
        QTest::newRow("about_return_on_ok") << "frmAbout" << 2 << -1 << "return" << 2;
        QTest::newRow("about_enter_on_ok") << "frmAbout" << 2 << -1 << "enter" << 2;
        QTest::newRow("about_escape_on_window") << "frmAbout" << 2 << -1 << "escape" << 2;
        QTest::newRow("about_frame_close") << "frmAbout" << 2 << -1 << "frame" << 2;
    }

    void closing()
    {
        QFETCH(QString, window);
        QFETCH(int, startSpeed);
        QFETCH(int, choose);
        QFETCH(QString, how);
        QFETCH(int, speed);
        gSpeed = qint16(startSpeed);
        Forms::Form *form = open(window);
        auto *ok = form->findChild<QPushButton *>();
        QCOMPARE(form->focusWidget(), ok);
        if (auto *setting = qobject_cast<Dialog *>(form)) {
            QVERIFY(setting->Option1(startSpeed - 1)->isChecked()); // and so no other
            if (choose >= 0) {
                setting->Option1(choose)->click();
            }
        }
        QWidget *option = form->findChild<QWidget *>(QString("Option1_") + how.back());
        how == "ok"                      ? ok->click()
        : how == "frame"                 ? void(form->close())
        : how.startsWith("double_click") ? QTest::mouseDClick(option, Qt::LeftButton)
        : QTest::keyClick(how == "escape" ? form : static_cast<QWidget *>(ok),
                          how == "return" ? Qt::Key_Return
                          : how == "enter" ? Qt::Key_Enter : Qt::Key_Escape);
        QVERIFY(!form->isLoaded());
        QCOMPARE(gSpeed, speed);
        QCOMPARE(m_drill->Label6->caption(),
                 QStringList({"Slow", "Normal", "Fast"}).at(speed - 1));
    }

    // Guards against controls in the wrong parent (the options sit in the frame) or place.
    void controlsSitAtDesignPlaces_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("pixels"); // in the window's client area
        QTest::newRow("setting_fast_on_top") << "Dialog" << "Option1_2" << QRect(20, 36, 103, 18);
        QTest::newRow("setting_slow_below") << "Dialog" << "Option1_0" << QRect(20, 89, 97, 18);
        QTest::newRow("record_place_10") << "Dialog1" << "Label1_10" << QRect(22, 219, 14, 14);
        QTest::newRow("notice_text") << "Dialog2" << "Label1" << QRect(12, 31, 357, 200);
        QTest::newRow("about_grey_line") << "frmAbout" << "Line1_1" << QRect(6, 154, 302, 1);
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

        Forms::Label *label = static_cast<Dialog2 *>(open("Dialog2"))->Label1;
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
        QTest::newRow("title") << "lblTitle" << "Wordmoor";
        QTest::newRow("version") << "lblVersion" << "Version: 2.0";
        QTest::newRow("developer") << "lblDescription_0" << "Developer: the Wordmoor project";
        QTest::newRow("telephone") << "lblDescription_1" << "Telephone: none";
        QTest::newRow("email") << "lblDescription_2" << "E-mail: none";
        QTest::newRow("disclaimer_empty") << "lblDisclaimer" << "";
    }

    void aboutTexts()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        auto *about = static_cast<frmAbout *>(open("frmAbout"));
        auto *label = about->findChild<Forms::Label *>(control);
        QVERIFY(label);
        QCOMPARE(label->caption(), text);
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QVERIFY(label->x() + label->width() <= about->width());
        QCOMPARE(about->picIcon->pixmap().size(), QSize(32, 32));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"

// The small modal windows: the speed window, the notice and About.

#include "drill/begin1.h"
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

private slots:
    void init();
    void cleanup();

    void speedWindowAppliesChoice_data();
    void speedWindowAppliesChoice();

    void controlsSitAtDesignPlaces_data();
    void controlsSitAtDesignPlaces();

    void noticeTextByteForByte();
    void noticeWrapsInsideItsLabel();

    void aboutTexts_data();
    void aboutTexts();
    void aboutShowsTheProgramIcon();
    void closeByKeysAndFrame_data();
    void closeByKeysAndFrame();

private:
    std::unique_ptr<QTemporaryDir> m_install;
    std::unique_ptr<Begin1> m_drill;
};

void TestWindows::init()
{
    resetProgramState();
    // An empty installation: the drill window finds no groups and asks nothing.
    m_install = std::make_unique<QTemporaryDir>();
    QVERIFY(m_install->isValid());
    gInstallPath = m_install->path() + QLatin1Char('/');
    Forms::setMessageAnswerer([](const Forms::Message &message) {
        qWarning("unexpected message box: %s", qPrintable(message.text));
        return Forms::Answer::No;
    });
    m_drill = std::make_unique<Begin1>();
    m_drill->load();
}

void TestWindows::cleanup()
{
    m_drill.reset();
    Forms::setMessageAnswerer({});
    m_install.reset();
}

// Guards against the window opening on its design-time Normal whatever the level is, and
// against a way of closing it that applies the wrong level, or nothing when the selection
// was left as it was.
void TestWindows::speedWindowAppliesChoice_data()
{
    QTest::addColumn<int>("startSpeed");
    QTest::addColumn<int>("choose"); // option clicked first; -1 leaves the selection
    QTest::addColumn<QString>("close");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("word");
    QTest::addColumn<float>("timeStep");

    QTest::newRow("ok_fast") << 2 << 2 << "ok" << 3 << "Fast" << 463.5f;
    QTest::newRow("ok_slow") << 2 << 0 << "ok" << 1 << "Slow" << 154.5f;
    QTest::newRow("ok_normal_from_fast") << 3 << 1 << "ok" << 2 << "Normal" << 231.75f;
    // gSpeed is set behind the drill window's back, so only a real re-apply shows "Fast".
    QTest::newRow("ok_unchanged_reapplies") << 3 << -1 << "ok" << 3 << "Fast" << 463.5f;
    QTest::newRow("enter_on_ok") << 2 << 0 << "enter" << 1 << "Slow" << 154.5f;
    QTest::newRow("double_click_slow") << 2 << -1 << "double_click_0" << 1 << "Slow" << 154.5f;
    QTest::newRow("double_click_fast") << 1 << -1 << "double_click_2" << 3 << "Fast" << 463.5f;
    QTest::newRow("frame_close_fast") << 2 << 2 << "frame" << 3 << "Fast" << 463.5f;
}

void TestWindows::speedWindowAppliesChoice()
{
    QFETCH(int, startSpeed);
    QFETCH(int, choose);
    QFETCH(QString, close);
    QFETCH(int, speed);
    QFETCH(QString, word);
    QFETCH(float, timeStep);

    gSpeed = static_cast<qint16>(startSpeed);
    auto *dialog = Forms::loadForm<Dialog>(m_drill.get());
    for (int index = 0; index <= 2; ++index) {
        QCOMPARE(dialog->Option1(index)->isChecked(), index == startSpeed - 1);
    }
    if (choose >= 0) {
        dialog->Option1(choose)->click();
    }
    if (close == QLatin1String("ok")) {
        dialog->OKButton->click();
    } else if (close == QLatin1String("enter")) {
        QCOMPARE(dialog->focusWidget(), dialog->OKButton);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    } else if (close == QLatin1String("frame")) {
        dialog->close();
    } else {
        const int index = close.back().digitValue();
        QTest::mouseDClick(dialog->Option1(index), Qt::LeftButton);
    }

    QVERIFY(!dialog->isLoaded());
    QCOMPARE(gSpeed, speed);
    QCOMPARE(m_drill->Label6->caption(), word);
    QCOMPARE(m_drill->mTimeStep, timeStep);
}

// Guards against controls placed in the wrong parent or converted with the wrong scale:
// the options sit inside the frame, so their window position adds the frame's.
void TestWindows::controlsSitAtDesignPlaces_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("pixels"); // in the window's client area

    QTest::newRow("setting_fast_on_top") << "Dialog" << "Option1_2" << QRect(20, 36, 103, 18);
    QTest::newRow("setting_slow_at_bottom") << "Dialog" << "Option1_0" << QRect(20, 89, 97, 18);
    QTest::newRow("notice_text") << "Dialog2" << "Label1" << QRect(12, 31, 357, 200);
    QTest::newRow("about_grey_line") << "frmAbout" << "Line1_1" << QRect(6, 154, 302, 1);
    QTest::newRow("about_white_line") << "frmAbout" << "Line1_0" << QRect(9, 155, 299, 2);
    QTest::newRow("about_ok") << "frmAbout" << "cmdOK" << QRect(217, 165, 84, 19);
}

void TestWindows::controlsSitAtDesignPlaces()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, pixels);

    Forms::Form *form = nullptr;
    if (window == QLatin1String("Dialog")) {
        form = Forms::loadForm<Dialog>(m_drill.get());
    } else if (window == QLatin1String("Dialog2")) {
        form = Forms::loadForm<Dialog2>(m_drill.get());
    } else {
        form = Forms::loadForm<frmAbout>(m_drill.get());
    }
    auto *widget = form->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(QRect(widget->mapTo(form, QPoint(0, 0)), widget->size()), pixels);
    form->unload();
}

// Guards against a changed word, a lost space, bare LF line ends or a stray CR LF at
// either end of the notice.
void TestWindows::noticeTextByteForByte()
{
    const QByteArray expected =
        "     \r\n"
        "     1. You must first make sure that your computer can correctly display Chinese "
        "characters.\r\n"
        "     2. This program is designed for those who have had a good grasp of the way of "
        "expression of English.\r\n"
        "     3. It isn't suitable for those who try to learn Chinese words and expressions by "
        "heart.\r\n"
        "     4. 20 groups (total 1000) Chinese words and expressions were packed in the setup "
        "program.\r\n"
        "     5. You may replace these files with your own collection, if you find that they "
        "cannot meet your need.\r\n"
        "     Enjoy!";
    QCOMPARE(noticeText().toUtf8(), expected);
}

// Guards against a notice that runs off the right edge or below its label.
void TestWindows::noticeWrapsInsideItsLabel()
{
    auto *dialog = Forms::loadForm<Dialog2>(m_drill.get());
    dialog->Label1->setCaption(noticeText());
    const QFontMetrics metrics(dialog->Label1->font());
    const QStringList lines = noticeText().split(QStringLiteral("\r\n"));
    int widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    // Long lines do not fit on one line, so the label must wrap them...
    QVERIFY(widest > dialog->Label1->width());
    // ...and the wrapped text still ends inside the label.
    const int needed = dialog->Label1->heightForWidth(dialog->Label1->width());
    QVERIFY(needed > lines.size() * metrics.lineSpacing());
    QVERIFY2(needed <= dialog->Label1->height(), qPrintable(QString::number(needed)));
    dialog->unload();
}

// Guards against a changed text and against a label sized to its text that cuts it off.
void TestWindows::aboutTexts_data()
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

void TestWindows::aboutTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    auto *about = Forms::loadForm<frmAbout>(m_drill.get());
    auto *label = about->findChild<Forms::Label *>(control);
    QVERIFY(label);
    QCOMPARE(label->caption(), text);
    QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
    QVERIFY(label->x() + label->width() <= about->width());
    about->unload();
}

// Guards against the logo resource not being linked into the program.
void TestWindows::aboutShowsTheProgramIcon()
{
    auto *about = Forms::loadForm<frmAbout>(m_drill.get());
    const QPixmap icon = about->picIcon->pixmap();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(32, 32));
    about->unload();
}

// Guards against OK not holding the focus from the start, not being the About window's
// default and cancel button, and against the frame's close button leaving a window loaded.
void TestWindows::closeByKeysAndFrame_data()
{
    QTest::addColumn<bool>("about"); // else the notice
    QTest::addColumn<int>("key");    // 0: the frame's close button
    QTest::addColumn<bool>("toWindow");
    QTest::newRow("notice_return_on_ok") << false << int(Qt::Key_Return) << false;
    QTest::newRow("notice_frame_close") << false << 0 << true;
    QTest::newRow("about_return_on_ok") << true << int(Qt::Key_Return) << false;
    QTest::newRow("about_enter_on_ok") << true << int(Qt::Key_Enter) << false;
    QTest::newRow("about_escape_on_ok") << true << int(Qt::Key_Escape) << false;
    QTest::newRow("about_escape_on_window") << true << int(Qt::Key_Escape) << true;
    QTest::newRow("about_frame_close") << true << 0 << true;
}

void TestWindows::closeByKeysAndFrame()
{
    QFETCH(bool, about);
    QFETCH(int, key);
    QFETCH(bool, toWindow);
    Forms::Form *window = nullptr;
    QPushButton *ok = nullptr;
    if (about) {
        auto *form = Forms::loadForm<frmAbout>(m_drill.get());
        window = form;
        ok = form->cmdOK;
    } else {
        auto *form = Forms::loadForm<Dialog2>(m_drill.get());
        window = form;
        ok = form->OKButton;
    }
    QCOMPARE(window->focusWidget(), ok);
    if (key == 0) {
        window->close();
    } else {
        QTest::keyClick(toWindow ? static_cast<QWidget *>(window) : ok, Qt::Key(key));
    }
    QVERIFY(!window->isLoaded());
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"

// Wordmoor: a desktop drill in which a learner renders Chinese words in English.
//
// How the pieces meet: the backdrop (shell/background) reads the installation folder
// from Wordmoor.INI and shows the drill window (drill/begin1). Choosing a group reads
// its word file (drill/wordfile); Start shuffles it and the question builder
// (drill/questions) lays out each question; clicks go to the judge, the timers pace the
// question, and the end of a question opens a pause. Stop scores the run into the
// group's record file (records/recordfile) and shows the record window
// (records/dialog1). The menu form (shell/form1) opens the speed, notice and About
// windows and holds Exit. Every window stands on the runtime layer in shell/forms.

#include "shell/background.h"
#include "shell/firststart.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wordmoor"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    FirstStart::setUpUser(); // start-up reports nothing, whatever the outcome
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/logo.png")));
    // The program ends when its last form is unloaded, not when a window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    app.setProperty("wordmoorQuitWithLastForm", true);

    auto *backdrop = new Background;
    backdrop->load();
    backdrop->show();
    const int status = QApplication::exec();
    delete backdrop;
    return status;
}

// Wordmoor: a desktop drill in which a learner renders Chinese words in English.
//
// How the pieces meet: the backdrop (shell/backdrop) reads the installation folder from
// Wordmoor.INI and shows the drill window (drill/drillwindow). Choosing a group reads its
// word file (drill/wordfile). The drill window is a thin layer over the rules of a run
// (drill/drillrun): Start shuffles the group, the question builder (drill/questions) lays
// out each question, clicks go to the judge, the clock paces the question and its end
// opens a pause. Stop scores the run into the group's record file (records/recordfile)
// and shows the record window (records/recordwindow). The program menu (shell/programmenu)
// opens the speed, notice and About windows and holds Exit. Every window stands on the
// runtime layer in forms/; base/ holds the text, number and random utilities. This file
// is the only place that makes the program's shared state and its first window.

#include "shell/backdrop.h"
#include "shell/endrequests.h"
#include "shell/firststart.h"
#include "shell/programstate.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>

int main(int argc, char *argv[])
{
    // Before anything writes: even Qt's first warning, sent to a file, could otherwise end
    // the program under a file-size limit.
    ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wordmoor"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    FirstStart::setUpUser(); // start-up reports nothing, whatever the outcome
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/logo.png")));
    // The program ends when its last form is unloaded, not when a window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    app.setProperty("wordmoorQuitWithLastForm", true);

    ProgramState state;
    auto *backdrop = new Backdrop(state);
    // Ended from outside (a signal, the desktop session closing, the application told to
    // quit), the program saves a run in progress as a confirmed Exit would.
    EndRequests endRequests;
    QObject::connect(&endRequests, &EndRequests::endRequested, backdrop, &Backdrop::endProgram);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, backdrop,
                     [backdrop](QSessionManager &) { backdrop->endProgram(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, backdrop, &Backdrop::endProgram);
    backdrop->load();
    backdrop->show();
    const int status = QApplication::exec();
    delete backdrop;
    return status;
}

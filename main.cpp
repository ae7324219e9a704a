// Wordmoor: a desktop drill in which a learner renders Chinese words in English.
//
// How the pieces meet: the program's lifetime (shell/program) owns every window and is the
// only place that ends the program. Its backdrop (shell/backdrop) reads the installation
// folder from Wordmoor.INI and, after a short wait, the drill window (drill/drillwindow)
// shows above it. Choosing a group reads its word file (drillcore/wordfile). The drill window
// is a thin layer over the rules of a run (drillcore/drillrun): Start shuffles the group, the
// question builder (drillcore/questions) lays out each question, clicks go to the judge, the
// clock paces the question and its end opens a pause. Stop scores the run into the
// group's record file (recordkeeping/recordfile) and shows the record window
// (records/recordwindow). The program menu (shell/programmenu) opens the speed, notice and
// About windows and holds Exit. Every window stands on the runtime layer in forms/; base/
// holds the text, number, speed and random utilities and the program's shared state. Each
// question's word goes from the drill window to the speech (forms/wordspeech), which says
// it in Mandarin at --speak or while a screen reader runs.

#include "base/programstate.h"
#include "shell/program.h"
#include "startup/commandline.h"
#include "startup/displaycheck.h"
#include "startup/endrequests.h"
#include "startup/firststart.h"

#include "forms/forms.h"
#include "forms/wordspeech.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Before anything else: an ending from outside in the first milliseconds waits for the
    // event loop instead of killing the program, and even Qt's first warning, sent to a
    // file, cannot end the program under a file-size limit.
    EndRequests::catchSignals();
    ignoreFileSizeSignal();
    QCoreApplication::setApplicationName(QStringLiteral("Wordmoor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
    // Read before Qt opens the display, which --help and --version do not need.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine::Outcome commandLine = CommandLine::read(arguments);
    if (!commandLine.run) {
        std::fputs(qUtf8Printable(commandLine.output), stdout);
        std::fputs(qUtf8Printable(commandLine.errors), stderr);
        return commandLine.status;
    }

    // Qt aborts inside QApplication's constructor where no platform can start; say instead
    // what is missing.
    const QString noWindows = DisplayCheck::problem(DisplayCheck::environmentNow(arguments),
                                                    DisplayCheck::systemProbes());
    if (!noWindows.isEmpty()) {
        std::fprintf(stderr, "wordmoor: %s\n", qUtf8Printable(noWindows));
        return 1;
    }

    QApplication app(argc, argv);
    Forms::setEmbeddedForms(Forms::embedsFormsOn(QGuiApplication::platformName()));
    // Taskbars and docks match the window to its desktop entry, org.wordmoor.Wordmoor.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.wordmoor.Wordmoor"));
    QApplication::setWindowIcon(Forms::applicationIcon());
    // The program ends when its lifetime says so, not when a window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    ProgramState state;
    Program program(state);
    const FirstStart::Result setUp = FirstStart::setUpUser();
    if (setUp.outcome == FirstStart::Result::Failed) {
        const QString warning =
            QStringLiteral("Your own folder for word groups and records could not be set "
                           "up: %1. Wordmoor tries again at its next start.")
                .arg(setUp.error);
        std::fprintf(stderr, "wordmoor: %s\n", qUtf8Printable(warning));
        program.setStartWarning(warning);
    }

    QObject::connect(&program, &Program::ended, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    EndRequests endRequests;
    QObject::connect(&endRequests, &EndRequests::endRequested, &program, &Program::endFromOutside);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &program,
                     [&program](QSessionManager &) { program.commitData(); });
    app.installEventFilter(&program);
    // The question's word said aloud, at --speak or while a screen reader runs.
    Forms::WordSpeech speech(commandLine.speech);
    QObject::connect(&program, &Program::wordToSay, &speech, &Forms::WordSpeech::sayWord);
    speech.prepare();

    program.start();
    return QApplication::exec();
}

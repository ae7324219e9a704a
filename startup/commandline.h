#pragma once

#include "base/speechchoice.h"

#include <QString>
#include <QStringList>

// The program's command line, read before any window or display is touched, so that
// --help and --version work anywhere and an unknown option is refused in words.
namespace CommandLine
{

struct Outcome {
    bool run = true; // false: print what is below and end with status
    int status = 0;  // 0 for --help and --version, 2 for a command line that is wrong
    QString output;  // for standard output
    QString errors;  // for standard error
    // --speak or --no-speak: whether the question's word is said aloud.
    SpeechChoice::Use speech = SpeechChoice::Use::WithAssistiveTechnology;
};

// arguments as main() has them, the program's name first. Qt's own options (-platform,
// -display, -session, ...) are left for Qt.
Outcome read(const QStringList &arguments);

} // namespace CommandLine

#include "startup/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace CommandLine
{

namespace
{

// What QGuiApplication and QApplication take from the command line themselves.
const char *const kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme",   "plugin",       "display",     "session",
    "style",    "stylesheet",         "qwindowgeometry", "qwindowtitle", "qwindowicon", "name",
    "title",    "geometry",           "qmljsdebugger"};
const char *const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

Outcome read(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A drill in rendering Chinese words in English: choose a word group, "
                       "press Start, and click every right rendering before the time bar "
                       "runs out."));
    // Qt's options are single-dash words; ours are --help and --version (or -h, -v).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption speak(
        QStringLiteral("speak"),
        QStringLiteral("Say each question's Chinese word in a Mandarin voice through the "
                       "speech service. Without this option, words are said while a "
                       "screen reader runs."));
    const QCommandLineOption noSpeak(
        QStringLiteral("no-speak"),
        QStringLiteral("Never say the question's word, even while a screen reader runs."));
    parser.addOption(speak);
    parser.addOption(noSpeak);
    for (const char *name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    // Without an application object yet, Qt cannot name the program in the usage line.
    const QString program =
        arguments.isEmpty() ? QStringLiteral("wordmoor") : QFileInfo(arguments.first()).fileName();
    const auto usage = [&parser, &program] {
        return parser.helpText().replace(QLatin1String("<executable_name>"), program);
    };
    Outcome outcome;
    if (!parser.parse(arguments)) {
        outcome.run = false;
        outcome.status = 2;
        outcome.errors = parser.errorText() + QLatin1Char('\n') + usage();
        return outcome;
    }
    if (!parser.positionalArguments().isEmpty()) {
        outcome.run = false;
        outcome.status = 2;
        outcome.errors = QStringLiteral("Unexpected argument '%1'.\n")
                             .arg(parser.positionalArguments().first()) +
                         usage();
        return outcome;
    }
    if (parser.isSet(speak) && parser.isSet(noSpeak)) {
        outcome.run = false;
        outcome.status = 2;
        outcome.errors = QStringLiteral("--speak and --no-speak exclude each other.\n") + usage();
        return outcome;
    }
    if (parser.isSet(speak)) {
        outcome.speech = SpeechChoice::Use::Always;
    } else if (parser.isSet(noSpeak)) {
        outcome.speech = SpeechChoice::Use::Never;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        outcome.run = false;
        outcome.output = usage();
    } else if (parser.isSet(version)) {
        outcome.run = false;
        outcome.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                         QCoreApplication::applicationVersion() + QLatin1Char('\n');
    }
    return outcome;
}

} // namespace CommandLine

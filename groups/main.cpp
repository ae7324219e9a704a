// wordmoor-groups: checks, imports, exports and lists the word groups of a Wordmoor
// collection, on Qt Core only. The work is done by the plain functions of groups/, which
// read groups with the drill's own loader; this file parses the command line and prints.

#include "base/wholefile.h"
#include "groups/checker.h"
#include "groups/exporter.h"
#include "groups/importer.h"
#include "groups/lister.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

using namespace Groups;

namespace
{

const char *const kProgram = "wordmoor-groups";

// The first failure to write to standard output, as the system gave it; 0 for none.
int outputError = 0;

void write(std::FILE *stream, const QByteArray &bytes)
{
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream) !=
            static_cast<size_t>(bytes.size()) &&
        stream == stdout && outputError == 0) {
        outputError = errno != 0 ? errno : EIO;
    }
}

void print(std::FILE *stream, const QString &text)
{
    write(stream, text.toUtf8());
}

void printLine(std::FILE *stream, const QString &text)
{
    print(stream, text + QLatin1Char('\n'));
}

int cannotRun(const QString &message, const QString &command = QString())
{
    printLine(stderr, QStringLiteral("%1: %2").arg(QLatin1String(kProgram), message));
    printLine(stderr, QStringLiteral("Try '%1%2 --help'.")
                          .arg(QLatin1String(kProgram),
                               command.isEmpty() ? QString() : QLatin1Char(' ') + command));
    return kCannotRun;
}

// Qt names the program as it was started; the help names it as the man page does.
QString helpOf(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (options >= 0 && options < end) {
        text.replace(0, options, QStringLiteral("Usage: ") + QLatin1String(kProgram));
    }
    return text;
}

// Qt prints a description as it stands; terminals want it in lines.
QString wrapped(const QString &text, int width = 79)
{
    QString result;
    int column = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > 0 && column + 1 + word.size() > width) {
            result += QLatin1Char('\n');
            column = 0;
        } else if (column > 0) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += static_cast<int>(word.size());
    }
    return result;
}

const char *const kFolderHelp =
    "The collection folder: the one that holds ciku/ and the record files, as InstallPath "
    "in Wordmoor.INI names it. Without it, the learner's own.";

struct Command {
    const char *name;
    const char *syntax;
    const char *description;
};

const Command kCommands[] = {
    {"check", "[FOLDER]",
     "Reads ci1.txt, ci2.txt, ... as the drill discovers and loads them and reports each "
     "problem as PATH:LINE: error: TEXT (the drill refuses the group) or PATH:LINE: warning: "
     "TEXT (it accepts it, but it makes a poor drill), then a line per group and a total. "
     "Exits with 1 when it found errors."},
    {"import", "[--into FOLDER] [--size N] [--format F] [--preview] FILE...",
     "Appends the entries of each FILE as new groups after the last group of FOLDER, which "
     "is created if missing. Reads KVTML (KWordQuiz, Parley, KVocTrain), Anki's Notes in "
     "Plain Text, Pleco's flashcard text, CSV and TSV as spreadsheets and word lists have "
     "them (UTF-8, UTF-16 or GB18030), and Wordmoor's own word files. The column of Chinese "
     "words and the column of English meanings are told from the content, and each import "
     "says which it took. Never changes an existing file."},
    {"export", "[FOLDER] [--output FILE]",
     "Writes every group as one UTF-8 text in Anki's plain-text form (word, renderings, a tag "
     "naming the group), which Anki and import both read."},
    {"list", "[FOLDER]",
     "Prints one line per group: its number, its word count, its first words, and the best "
     "point and the places filled of its record."},
};

const Command *findCommand(const QString &name)
{
    for (const Command &command : kCommands) {
        if (name == QLatin1String(command.name)) {
            return &command;
        }
    }
    return nullptr;
}

int runCheck(const QStringList &positional)
{
    const FolderLookup folder = existingFolder(positional.value(0));
    if (!folder.ok) {
        return cannotRun(folder.error, QStringLiteral("check"));
    }
    const CollectionCheck check = checkCollection(folder.folder);
    for (const QString &line : reportLines(check)) {
        printLine(stdout, line);
    }
    return errorCount(check) > 0 ? kProblemsFound : kSuccess;
}

int runImport(const QCommandLineParser &parser, const QStringList &files)
{
    ImportRequest request;
    request.files = files;
    if (request.files.isEmpty()) {
        return cannotRun(QStringLiteral("import: no FILE given"), QStringLiteral("import"));
    }
    if (parser.isSet(QStringLiteral("into"))) {
        request.folder = folderPath(parser.value(QStringLiteral("into")));
    } else {
        const FolderLookup learners = learnersFolder();
        if (!learners.ok) {
            return cannotRun(learners.error, QStringLiteral("import"));
        }
        request.folder = learners.folder;
    }
    if (parser.isSet(QStringLiteral("size"))) {
        bool ok = false;
        request.groupSize = parser.value(QStringLiteral("size")).toInt(&ok);
        if (!ok) {
            return cannotRun(QStringLiteral("import: --size takes a number"),
                             QStringLiteral("import"));
        }
    }
    if (parser.isSet(QStringLiteral("format"))) {
        Format format = Format::Csv;
        if (!parseFormat(parser.value(QStringLiteral("format")), &format)) {
            return cannotRun(QStringLiteral("import: unknown format '%1' (kvtml, anki, csv, "
                                            "pleco, wordmoor or apkg)")
                                 .arg(parser.value(QStringLiteral("format"))),
                             QStringLiteral("import"));
        }
        request.format = format;
    }
    for (const char *option : {"word-column", "meaning-column"}) {
        if (!parser.isSet(QLatin1String(option))) {
            continue;
        }
        bool ok = false;
        const int column = parser.value(QLatin1String(option)).toInt(&ok);
        if (!ok || column < 1) {
            return cannotRun(QStringLiteral("import: --%1 takes a column number from 1")
                                 .arg(QLatin1String(option)),
                             QStringLiteral("import"));
        }
        (option[0] == 'w' ? request.columns.wordColumn : request.columns.meaningColumn) = column;
    }
    request.preview = parser.isSet(QStringLiteral("preview"));
    const ImportReport report = importFiles(request);
    for (const Diagnostic &d : report.diagnostics) {
        printLine(stderr, formatDiagnostic(d));
    }
    for (const QString &line : report.lines) {
        printLine(stdout, line);
    }
    for (const WrittenGroup &group : report.written) {
        printLine(stdout, describe(group));
    }
    if (report.status == kCannotRun && !report.failure.startsWith(QLatin1String("--"))) {
        printLine(stderr,
                  QStringLiteral("%1: import: %2").arg(QLatin1String(kProgram), report.failure));
        return kCannotRun;
    }
    if (report.status == kCannotRun) {
        return cannotRun(QStringLiteral("import: ") + report.failure, QStringLiteral("import"));
    }
    if (request.preview) {
        printLine(stdout, QStringLiteral("Preview only: nothing written."));
        return report.status;
    }
    printLine(stdout, report.written.isEmpty()
                          ? QStringLiteral("No group written.")
                          : QStringLiteral("%1 new %2. Wordmoor shows new groups at its next "
                                           "start.")
                                .arg(report.written.size())
                                .arg(report.written.size() == 1 ? QStringLiteral("group")
                                                                : QStringLiteral("groups")));
    return report.status;
}

// A file is written whole or not at all; a device or a pipe (/dev/stdout, /dev/full) is
// written in place, and its failure told as well.
QString writeOutput(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            device.write(bytes) != bytes.size()) {
            return device.errorString();
        }
        device.close();
        return device.error() == QFileDevice::NoError ? QString() : device.errorString();
    }
    QString reason;
    return Files::writeWhole(path, bytes, Files::Existing::Replace, &reason).ok ? QString()
                                                                               : reason;
}

int runExport(const QCommandLineParser &parser, const QStringList &positional)
{
    const FolderLookup folder = existingFolder(positional.value(0));
    if (!folder.ok) {
        return cannotRun(folder.error, QStringLiteral("export"));
    }
    const Export result = exportCollection(folder.folder);
    for (const Diagnostic &d : result.problems) {
        printLine(stderr, formatDiagnostic(d));
    }
    if (!parser.isSet(QStringLiteral("output"))) {
        write(stdout, result.text);
    } else {
        const QString path = parser.value(QStringLiteral("output"));
        const QString error = writeOutput(path, result.text);
        if (!error.isEmpty()) {
            printLine(stderr, QStringLiteral("%1: %2: cannot be written: %3")
                                  .arg(QLatin1String(kProgram), path, error));
            return kCannotRun;
        }
        printLine(stdout, QStringLiteral("%1 words of %2 groups written to %3")
                              .arg(result.words)
                              .arg(result.groups)
                              .arg(path));
    }
    return result.problems.isEmpty() ? kSuccess : kProblemsFound;
}

int runList(const QStringList &positional)
{
    const FolderLookup folder = existingFolder(positional.value(0));
    if (!folder.ok) {
        return cannotRun(folder.error, QStringLiteral("list"));
    }
    const QList<GroupListing> listings = listCollection(folder.folder);
    bool failed = false;
    for (const GroupListing &listing : listings) {
        printLine(stdout, formatListing(listing));
        failed = failed || !listing.error.isEmpty() || !listing.recordError.isEmpty();
    }
    if (listings.isEmpty()) {
        printLine(stdout, QStringLiteral("No groups in %1ciku/.").arg(folder.folder));
    }
    return failed ? kProblemsFound : kSuccess;
}

int runCommand(const Command &command, const QStringList &arguments)
{
    const QString name = QLatin1String(command.name);
    QCommandLineParser parser;
    parser.setApplicationDescription(wrapped(QLatin1String(command.description)));
    parser.addHelpOption();
    parser.addPositionalArgument(name, QStringLiteral("The command."), name);
    if (name == QLatin1String("import")) {
        parser.addOptions({
            {QStringLiteral("into"), QLatin1String(kFolderHelp), QStringLiteral("FOLDER")},
            {QStringLiteral("size"),
             QStringLiteral("At most N words a group (default %1); the entries of a file are "
                            "split into as few groups as that allows, of sizes as equal as "
                            "can be.")
                 .arg(kDefaultGroupSize),
             QStringLiteral("N")},
            {QStringLiteral("format"),
             QStringLiteral("Read every FILE as F: kvtml, anki, csv, pleco, wordmoor or "
                            "apkg (an Anki package), instead of telling the format from the "
                            "content."),
             QStringLiteral("F")},
            {QStringLiteral("word-column"),
             QStringLiteral("Take column N (from 1) of a CSV, TSV or Anki file as the words."),
             QStringLiteral("N")},
            {QStringLiteral("meaning-column"),
             QStringLiteral("Take column N (from 1) of a CSV, TSV or Anki file as the meanings."),
             QStringLiteral("N")},
            {QStringLiteral("preview"),
             QStringLiteral("Print the columns taken and the first entries of each FILE as "
                            "they would become group lines, and write nothing.")},
        });
        parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Files to import."),
                                     QStringLiteral("FILE..."));
    } else {
        parser.addPositionalArgument(QStringLiteral("FOLDER"), QLatin1String(kFolderHelp),
                                     QStringLiteral("[FOLDER]"));
    }
    if (name == QLatin1String("export")) {
        parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                          QStringLiteral("Write to FILE (whole, or not at all) instead of "
                                         "standard output."),
                          QStringLiteral("FILE")});
    }
    if (!parser.parse(arguments)) {
        return cannotRun(name + QStringLiteral(": ") + parser.errorText(), name);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, helpOf(parser));
        return kSuccess;
    }
    const QStringList positional = parser.positionalArguments().mid(1); // after the command
    if (name != QLatin1String("import") && positional.size() > 1) {
        return cannotRun(QStringLiteral("%1: one FOLDER at most").arg(name), name);
    }
    if (name == QLatin1String("check")) {
        return runCheck(positional);
    }
    if (name == QLatin1String("import")) {
        return runImport(parser, positional);
    }
    if (name == QLatin1String("export")) {
        return runExport(parser, positional);
    }
    return runList(positional);
}

} // namespace

int runMain(int argc, char *argv[]);

int main(int argc, char *argv[])
{
    // A reader that went away is a failed write, told and not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    int status = runMain(argc, argv);
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && outputError == 0) {
        outputError = errno != 0 ? errno : EIO;
    }
    if (outputError != 0) {
        std::fprintf(stderr, "%s: standard output: %s\n", kProgram, std::strerror(outputError));
        status = kCannotRun;
    }
    return status;
}

int runMain(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(kProgram));
    QCoreApplication::setApplicationVersion(QStringLiteral(WORDMOOR_VERSION));

    QString commands = QStringLiteral("Checks, imports, exports and lists the word groups of a "
                                      "Wordmoor collection.\n\nCommands:");
    for (const Command &command : kCommands) {
        commands += QStringLiteral("\n  %1 %2")
                        .arg(QLatin1String(command.name), QLatin1String(command.syntax));
    }
    commands += QStringLiteral("\n\n'%1 COMMAND --help' tells more of a command.")
                    .arg(QLatin1String(kProgram));
    QCommandLineParser parser;
    parser.setApplicationDescription(commands);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("One of the above."),
                                 QStringLiteral("COMMAND [ARGS...]"));
    // Everything after the command is the command's own.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QStringList arguments = QCoreApplication::arguments();
    if (!parser.parse(arguments)) {
        return cannotRun(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("version"))) {
        printLine(stdout, QStringLiteral("%1 %2").arg(QLatin1String(kProgram),
                                                      QStringLiteral(WORDMOOR_VERSION)));
        return kSuccess;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("help")) || positional.isEmpty()) {
        print(positional.isEmpty() && !parser.isSet(QStringLiteral("help")) ? stderr : stdout,
              helpOf(parser));
        return parser.isSet(QStringLiteral("help")) ? kSuccess : kCannotRun;
    }
    const Command *command = findCommand(positional.first());
    if (!command) {
        return cannotRun(QStringLiteral("'%1' is not a command").arg(positional.first()));
    }
    return runCommand(*command, QStringList{arguments.first()} + positional);
}

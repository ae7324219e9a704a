#pragma once

#include <QList>
#include <QString>

// What every command of wordmoor-groups shares: the collection folder, the drill's limits
// and problems reported in the form compilers use.
namespace Groups
{

// Exit statuses, as Git and coreutils use them.
constexpr int kSuccess = 0;
constexpr int kProblemsFound = 1;
constexpr int kCannotRun = 2;

// A run needs another word to draw wrong candidates from, and each rendering takes a row
// of its own among rows 1 to 14.
constexpr int kLeastWords = 2;
constexpr int kMostRenderings = 14;

enum class Severity { Error, Warning };

struct Diagnostic {
    QString path;
    int line = 1;
    Severity severity = Severity::Error;
    QString text;
};

// PATH:LINE: error: TEXT, so that editors jump to the line.
QString formatDiagnostic(const Diagnostic &diagnostic);
int countOf(const QList<Diagnostic> &diagnostics, Severity severity);

// A folder as the drill's paths take it: ending in "/", "./" for the current one.
QString folderPath(const QString &folder);

struct FolderLookup {
    QString folder; // ends in "/"; empty when error is set
    QString error;
    QString ini; // the INI that named the folder, when it was looked up
};

// The learner's own collection, found as Wordmoor finds it at start-up: InstallPath in
// Wordmoor.INI of the configuration folder.
FolderLookup learnersFolder();

// A folder to read: the one given, else the learner's; an error when it is no folder.
FolderLookup existingFolder(const QString &given);

// True when text holds a Chinese (Han) character.
bool hasHan(const QString &text);

// Characters counted as code points: a character outside the Basic Multilingual Plane
// takes two UTF-16 units of QString::size() but is one character.
qsizetype codePointLength(const QString &line);

} // namespace Groups

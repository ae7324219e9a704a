#pragma once

#include "base/result.h"

#include <QList>
#include <QString>

// What every command of wordmoor-groups shares: the collection folder and problems reported
// in the form compilers use. The drill's limits are DrillRules', the drill's own.
namespace Groups
{

// Exit statuses, as Git and coreutils use them.
constexpr int kSuccess = 0;
constexpr int kProblemsFound = 1;
constexpr int kCannotRun = 2;

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

struct FolderLookup : Outcome {
    QString folder; // ends in "/"; empty unless ok
    QString ini;    // the INI that named the folder, when it was looked up
};

// The learner's own collection, found as Wordmoor finds it at start-up: InstallPath in
// Wordmoor.INI of the configuration folder.
FolderLookup learnersFolder();

// A folder to read: the one given, else the learner's; an error when it is no folder.
FolderLookup existingFolder(const QString &given);

// True when text holds a Chinese (Han) character.
bool hasHan(const QString &text);

} // namespace Groups

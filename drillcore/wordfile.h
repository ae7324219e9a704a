#pragma once

#include "drillcore/drillrules.h"

#include <QList>
#include <QString>

namespace WordFile
{

// The loader's limits, as DrillRules keeps them.
constexpr int kMaxEntries = DrillRules::kMostWords;
constexpr int kMaxGroups = DrillRules::kMostGroups;
constexpr int kMaxLineLength = DrillRules::kLongestLine;

QString groupPath(const QString &installPath, int group);

// Number of groups 1, 2, ... whose files exist, stopping at the first gap.
int discoverGroups(const QString &installPath);

struct Entry {
    QString word;         // shown and compared exactly as read
    QString renderings; // ";"-separated, as read
};

enum class LoadStatus { Ok, OpenFailed, ReadFailed, TooManyEntries, LineTooLong };

struct Group {
    LoadStatus status = LoadStatus::OpenFailed;
    QString error;
    QList<Entry> entries;
};

// Reads a group file: lines pair up into entries, blank lines included; an odd last
// line is dropped. A file that cannot be read to its end is refused (ReadFailed) with the
// error "ci7.txt could not be read to its end: <the system's reason>".
Group loadGroup(const QString &path);

// The line the drill window shows for a loaded group: 第3组: 50个词语.
QString groupLine(int group, int words);

} // namespace WordFile

#pragma once

#include "groups/collection.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Groups
{

struct GroupCheck {
    int number = 0;
    QString path;
    bool loaded = false; // the drill's loader took it (Start may still refuse it)
    int words = 0;
    QList<Diagnostic> diagnostics; // in line order
};

// Checks one group file: errors are what makes the drill refuse the group when it is
// chosen or at Start; warnings what it accepts but makes a poor drill.
GroupCheck checkGroup(const QString &path, int number);

struct CollectionCheck {
    QList<GroupCheck> groups;
    QList<Diagnostic> diagnostics; // of the folder: no group 1, files the drill never sees
};

// Checks ci1.txt, ci2.txt, ... of a collection folder (ending in "/") as the drill
// discovers them.
CollectionCheck checkCollection(const QString &folder);

// Every diagnostic, then one line per group and the total.
QStringList reportLines(const CollectionCheck &check);
int errorCount(const CollectionCheck &check);

} // namespace Groups

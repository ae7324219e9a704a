#pragma once

#include "groups/collection.h"

#include <QByteArray>
#include <QList>

namespace Groups
{

struct Export {
    QByteArray text; // UTF-8
    int groups = 0;
    int words = 0;
    QList<Diagnostic> problems; // groups the drill cannot load, left out
};

// Every group of a collection as one text in Anki's plain-text form: the word, its
// renderings line and a tag naming the group, tab-separated.
Export exportCollection(const QString &folder);

// The tag that names group n in an export.
QString groupTag(int group);

} // namespace Groups

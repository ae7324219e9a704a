#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Groups
{

struct GroupListing {
    int number = 0;
    QString error; // why the group cannot be loaded, else empty
    int words = 0;
    QStringList firstWords;
    bool hasRecord = false;
    QString recordError;
    qint32 bestPoint = 0;
    int placesFilled = 0;
};

// The groups of a collection with their records. A missing record file is not created.
QList<GroupListing> listCollection(const QString &folder, int firstWords = 5);

// One line: number, word count, first words, best point and places filled.
QString formatListing(const GroupListing &listing);

} // namespace Groups

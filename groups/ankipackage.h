#pragma once

#include "base/result.h"
#include "groups/readers.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Anki's deck and collection packages (.apkg, .colpkg): a zip holding the collection as an
// SQLite database, zstd-compressed in the newest format. Read on Qt Core and Qt Sql only.
namespace Groups
{

struct AnkiNoteType {
    QString name;             // empty for notes whose note type the collection lacks
    QStringList fieldNames;   // in the note type's order
    QList<QStringList> notes; // each note's fields, HTML as stored, at least fieldNames' count
    QList<QString> tags;      // per note, as stored, trimmed
};

struct AnkiPackage : Outcome {
    QList<AnkiNoteType> noteTypes; // those with notes, in the order of their first note
};

// No collection holds more than this once unpacked; a package that claims more is refused
// rather than filling the disk.
constexpr qint64 kMostCollectionBytes = qint64(512) * 1024 * 1024;

// Zip files begin with a local file header.
bool looksLikeZip(const QByteArray &head);

// The collection is unpacked into a temporary folder (removed afterwards) and opened
// read-only through Qt's SQLite driver.
AnkiPackage readAnkiPackage(const QString &path, qint64 mostBytes = kMostCollectionBytes);
AnkiPackage readAnkiPackage(const QByteArray &bytes, qint64 mostBytes = kMostCollectionBytes);

// The entries of a package: each note type's fields, made text, go through the column
// choice of tables, its field names the heading. A note type without a column of words or
// of meanings is left out with a warning. An entry's line is its note's number in the
// package.
Source packageSource(const AnkiPackage &package, const ReadOptions &options = {});

} // namespace Groups

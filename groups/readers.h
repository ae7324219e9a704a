#pragma once

#include "groups/collection.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Readers of word lists that other programs write. Each gives the entries as they stand
// in the file, each with the line it starts on; making drill entries of them is the
// importer's part.
namespace Groups
{

enum class Format { Kvtml, Anki, Csv, WordFile, Pleco, AnkiPackage };

QString formatName(Format format);
// "kvtml", "anki", "csv", "wordmoor", "pleco" or "apkg"; false for another name.
bool parseFormat(const QString &name, Format *format);

struct SourceEntry {
    QString word;
    QString renderings; // parted by ";" or line breaks
    int line = 0;
    QString group; // a category of the file (Pleco's "//" lines) that becomes groups of its own
};

struct Source {
    QList<SourceEntry> entries;
    QList<Diagnostic> notes; // without a path; the caller knows the file
    bool ok = false;         // set once the file is read as its format; not at all, false
    QString columns;         // what was taken as the words and the meanings, for the learner
};

struct ReadOptions {
    int wordColumn = 0; // from 1; 0 to choose from the content
    int meaningColumn = 0;
};

// Told apart by content, the file name only a hint: an Anki package by its zip header,
// KVTML by its XML, Anki by its "#" header lines, Pleco by its "word[word]<TAB>pinyin" lines
// or "//" categories, a word file by its line pairs (a word with Chinese, then renderings
// without), and everything else as CSV.
Format detectFormat(const QByteArray &bytes, const QString &fileName);

// Text as other programs save it: UTF-8 with or without a byte-order mark, UTF-16 with one
// (as Windows programs save "Unicode text"), else GB18030.
QString decodeImported(const QByteArray &bytes);

Source readSource(const QByteArray &bytes, Format format, const ReadOptions &options = {});

// Entries from rows of fields as text (HTML made text with htmlToText), the word and
// meaning columns chosen from their content as for CSV. heading names the columns when the
// caller knows them (an Anki note type's field names), else the first row may be a
// heading. lines gives each row's line (else rows count from 1); meta lists columns, from
// 0, that hold no field of the note (Anki's tags or deck).
Source readFields(const QStringList &heading, const QList<QStringList> &rows,
                  const QList<int> &lines = {}, const ReadOptions &options = {},
                  const QList<int> &meta = {});

} // namespace Groups

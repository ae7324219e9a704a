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

enum class Format { Kvtml, Anki, Csv, WordFile, AnkiPackage };

QString formatName(Format format);
// "kvtml", "anki", "csv", "wordmoor" or "apkg"; false for another name.
bool parseFormat(const QString &name, Format *format);

struct SourceEntry {
    QString word;
    QString renderings; // as the field holds them: ";" and line breaks still in
    int line = 0;
};

struct Source {
    QList<SourceEntry> entries;
    QList<Diagnostic> notes; // without a path; the caller knows the file
    bool ok = true;          // false when the file is not of the format at all
};

// Told apart by content, the file name only a hint: an Anki package by its zip header,
// KVTML by its XML, Anki by its "#" header lines, a word file by its line pairs (a word with
// Chinese, then renderings without), and everything else as CSV.
Format detectFormat(const QByteArray &bytes, const QString &fileName);

Source readSource(const QByteArray &bytes, Format format);

// Anki's HTML fields as text: <br> and the boundaries of <div>, <p> and <li> become line
// breaks, other tags are dropped, entities decoded (&nbsp; as a plain space).
QString htmlToText(const QString &html);

} // namespace Groups

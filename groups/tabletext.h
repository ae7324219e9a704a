#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Delimited text as spreadsheets and Anki write it (RFC 4180): a field in double quotes
// may hold separators, quotes (doubled) and line breaks.
namespace Groups
{

struct Record {
    int line = 0; // where the record starts, from 1
    QStringList fields;
};

struct Table {
    QList<Record> records;     // blank lines give no record
    int unclosedQuoteLine = 0; // the line of a quote that never closes, else 0
};

// Reads records from text that starts on line firstLine. With commentLines, a line that
// begins with "#" where a record would begin is skipped, as Anki skips it. A line break
// inside quotes is kept as "\n".
Table readTable(QStringView text, QChar separator, int firstLine = 1, bool commentLines = false);

// A field as a record writes it: quoted when it holds the separator, a quote or a line
// break, or begins with "#" (Anki would take it for a comment).
QString quoteField(const QString &field, QChar separator);

} // namespace Groups

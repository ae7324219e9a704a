#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which column of a vocabulary table holds the words and which the meanings, told from
// what the columns hold: real files put IDs, levels, pinyin, zhuyin, sound, traditional
// characters and tags beside the two the drill needs, in any order.
namespace Groups
{

enum class ColumnKind {
    Empty,
    Simplified,  // Chinese words, in simplified characters where the file has both
    Traditional, // Chinese words in traditional characters
    Chinese,     // Chinese words, simplified and traditional alike
    Meaning,     // English text
    Pinyin,
    Zhuyin,
    Number,   // IDs, levels, frequencies
    Tag,      // few values repeated (part of speech, level names)
    Sentence, // examples, in Chinese or English
    Sound,
    Other
};

QString kindName(ColumnKind kind);

struct ColumnChoice {
    int word = -1;           // from 0; -1 when none was found
    int meaning = -1;        // from 0
    bool headingRow = false; // the first row names the columns and holds no entry
    QList<ColumnKind> kinds; // what each column was taken for
    QString error;           // why no word or meaning column could be chosen
    QString guess;           // a doubt the learner should know of, else empty
};

// Chooses from rows of fields as text (HTML already made text). A heading names the
// columns: the given one (an Anki note type's field names), else the first row when its
// cells are known column names, or hold no Chinese where the rows below do. wordColumn and
// meaningColumn (from 1, 0 to choose) override the choice.
ColumnChoice chooseColumns(const QStringList &heading, const QList<QStringList> &rows,
                           int wordColumn = 0, int meaningColumn = 0);

// "column 2 (simplified) as the words and column 6 (English) as the meanings; column 1
// traditional, 3 pinyin, 5 sound; line 1 a heading", counting columns from 1.
QString describeChoice(const ColumnChoice &choice);

// More simplified-only than traditional-only characters: > 0; the other way: < 0.
int simplifiedLean(const QString &text);

} // namespace Groups

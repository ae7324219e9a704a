#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Meanings as the drill needs them, from the meaning fields of vocabulary files: one sense
// a piece, without the markup, pinyin, classifiers and cross-references that dictionaries
// and flashcard programs put beside the senses.
namespace Groups
{

// What besides ";" parts senses in a file's meaning column; a comma or a slash also stands
// inside a sense ("Beijing, capital of ..."), so it counts only where most fields use it.
struct SenseSplit {
    bool comma = false;
    bool slash = false;       // " / " between senses
    bool doubleSpace = false; // two or more spaces between senses
};

// Told from the fields of one column (HTML already made text).
SenseSplit senseSplitOf(const QStringList &fields);

// Splits at ";", line breaks and the separators of split, never inside brackets or quotes.
QStringList splitSenses(const QString &text, SenseSplit split);

// One sense cleaned: [sound:...], cloze marks, classifier notes (CL:個|个[ge4]), pinyin in
// brackets, part-of-speech and level tags removed; empty when nothing of a meaning is left
// (a cross-reference such as "see 的士[di1 shi4]", pinyin, Chinese or zhuyin alone).
QString cleanSense(const QString &sense);

// A field's meanings: HTML made text when html is set, then split and cleaned, in the
// field's order, leaving out the empty and repeated ones and those that only repeat one of
// echoes (the row's pinyin, zhuyin or word, each possibly a list parted by commas).
QStringList meaningsOf(const QString &field, bool html, SenseSplit split,
                       const QStringList &echoes = {});

// True when text is pinyin: syllables with tone marks or tone numbers (at least one).
bool isPinyin(const QString &text);
// True when text holds zhuyin (bopomofo).
bool hasZhuyin(const QString &text);

// Anki's HTML fields as text: <br> and the boundaries of <div>, <p> and <li> become line
// breaks, other tags are dropped, entities decoded (&nbsp; as a plain space).
QString htmlToText(const QString &html);

} // namespace Groups

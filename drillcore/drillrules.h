#pragma once

#include <QList>
#include <QString>

namespace WordFile
{
struct Entry;
}

// The limits the drill keeps and how it measures against them, in one place: the drill's
// loader and Start, and wordmoor-groups' check and import all ask here, so that whatever
// the checker accepts the drill runs.
namespace DrillRules
{

// A run draws each question's wrong candidates from the other words.
constexpr int kLeastWords = 2;
// Each rendering takes a row of its own among rows 1 to 14.
constexpr int kMostRenderings = 14;
// Counts are 16-bit in the drill, so a group may hold at most this many entries, and there
// are at most this many groups.
constexpr int kMostWords = 32767;
constexpr int kMostGroups = 32767;
// Longer lines would not fit a row or the question line, and drawing them would freeze the
// window; such a group is refused at load with the line named.
constexpr int kLongestLine = 4096;

// Characters as the learner counts them: code points, so a character outside the Basic
// Multilingual Plane is one, not the two UTF-16 units that hold it; a lone surrogate is one.
qsizetype characterCount(const QString &text);
// More characters than kLongestLine.
bool lineTooLong(const QString &line);

// Every ";" ends a rendering, so s semicolons give s + 1 renderings, empty ones included.
int renderingCount(const QString &renderings);
bool tooManyRenderings(const QString &renderings);

// Why the drill refuses to start a run on a loaded group, if it does.
struct Refusal {
    enum Reason { None, TooFewWords, TooManyRenderings };
    Reason reason = None;
    int words = 0;      // in the group
    int entry = 0;      // of TooManyRenderings: the first such word, numbered from 1
    int renderings = 0; // and how many renderings it has
    bool refused() const { return reason != None; }
};
Refusal refuseGroup(const QList<WordFile::Entry> &entries);

} // namespace DrillRules

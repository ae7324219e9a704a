#pragma once

#include "drillcore/wordfile.h"
#include "groups/collection.h"
#include "groups/readers.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Groups
{

constexpr int kDefaultGroupSize = 50; // as the bundled groups hold
// With groups of at most 2, three entries would leave one alone; from 3 on, groups of
// sizes as equal as can be never hold a single entry.
constexpr int kSmallestGroupSize = 3;

struct PreparedEntry {
    WordFile::Entry entry; // renderings joined by "; "
    int line = 0;          // where it stands in its source
    QString group;         // the source's category, if it has them
};

// Drill entries from a source's entries: the word trimmed, the renderings cut at ";" and
// at line breaks, trimmed, the empty and repeated ones dropped. A word that comes again in
// the same group of the source is merged into its first entry, its renderings after the
// others; of more than the drill's 14 renderings the first 14 are kept, with a warning.
// An entry that cannot become a drill entry is left out with a warning naming its line
// and word.
QList<PreparedEntry> prepareEntries(const QList<SourceEntry> &entries, const QString &path,
                                    QList<Diagnostic> &notes);

// Sizes of as few groups as hold count entries at most `most` each, as equal as can be.
QList<int> groupSizes(int count, int most);

// A group file as the import writes it: UTF-8 with a byte-order mark (never taken for
// GB18030), CR LF line ends.
QByteArray groupFileBytes(const QList<WordFile::Entry> &entries);

struct ImportRequest {
    QString folder; // ends in "/"; created when missing
    int groupSize = kDefaultGroupSize;
    std::optional<Format> format; // detected per file when not set
    ReadOptions columns;          // the word and meaning columns, when the learner names them
    bool preview = false;         // tell what would be imported, and write nothing
    QStringList files;
};

// How many entries of each file a preview shows.
constexpr int kPreviewEntries = 8;

struct WrittenGroup {
    int number = 0;
    QString path;
    int words = 0;
    QString source;
    Format format = Format::Csv;
    int firstLine = 0;
    int lastLine = 0;
    QString category; // the source's category the group holds, if it has them
};

struct ImportReport {
    int status = kSuccess;
    QString failure; // why nothing could be imported (status kCannotRun)
    QList<Diagnostic> diagnostics;
    QStringList lines; // for the learner: what each file's columns were taken as; a preview
    QList<WrittenGroup> written;
};

// Appends the entries of each file as new groups after the last group of the folder.
ImportReport importFiles(const ImportRequest &request);

// What the import tells the learner: one line per group written.
QString describe(const WrittenGroup &group);

} // namespace Groups

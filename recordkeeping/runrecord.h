#pragma once

#include "recordkeeping/recordfile.h"

#include <QString>

#include <functional>
#include <optional>

// The record-keeping of one run. Its result goes into its group's record once, when the
// run ends. A commit the desktop session asks for in between writes the run so far; the
// next commit or the end takes that entry's place, so the run is recorded once, with the
// numbers it has when it ends.
class RunRecord
{
public:
    // What a run leaves in the record: the numbers of its score line, and the speed it
    // ran at as the record keeps it (the multiplier).
    struct Score {
        qint32 correct = 0;
        qint32 wrong = 0;
        qint32 rate = 0;
        qint16 speed = 0;
    };

    // Told of each write, whether it went through or not (a save that gives an earlier
    // outcome again writes nothing).
    void onWrite(std::function<void(const RecordFile::SaveResult &)> written)
    {
        m_written = std::move(written);
    }
    // A new run whose record is the file at path; nothing of it is saved yet.
    void begin(const QString &path);
    // The run's end. No score (a run that has not passed its first question) writes
    // nothing. A second call gives the first one's outcome again: the run is neither
    // written twice nor retried.
    RecordFile::SaveResult save(const std::optional<Score> &score);
    // The run so far, to be taken back by whatever is saved next; nothing once the end
    // has been saved.
    RecordFile::SaveResult commit(const std::optional<Score> &score);

private:
    RecordFile::SaveResult write(const Score &score);

    QString m_path;                              // empty: no run begun
    std::optional<RecordFile::SaveResult> m_end; // the end's save, once made
    RecordFile::SavedImage m_committed;          // what the last commit wrote
    std::function<void(const RecordFile::SaveResult &)> m_written;
};

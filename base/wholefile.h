#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The one way Wordmoor and wordmoor-groups write a file: whole or not at all. The bytes go
// into a temporary file beside the target, under a name only this program writes ("." + the
// target's name + ".wordmoor-save-" + six letters or digits), are flushed to the disk, and
// the file is then renamed onto the target. Any failure leaves the target as it was;
// nothing is ever written in place.
namespace Files
{

// Fails with an error that names the file and gives the system's reason; the reason alone
// goes to *reason when asked.
using WriteResult = Outcome;
enum class Existing {
    Replace, // the target is replaced (a link is followed to the file it names)
    Keep     // a target that exists, even as a dangling link, fails the write
};
WriteResult writeWhole(const QString &path, const QByteArray &bytes,
                       Existing existing = Existing::Replace, QString *reason = nullptr);

struct NewFile {
    QString path;
    QByteArray bytes;
};
// Writes new files of one folder in order, as writeWhole(..., Existing::Keep) does, but with
// one flush of the file system for them all (one each took seconds for hundreds of files).
// Stops at the first that fails, with "PATH: the system's reason" ("PATH: the file exists"
// for one already there); the value is how many were written.
Result<int> writeNewFiles(const QList<NewFile> &files);

// The file that writeWhole(path, ..., Existing::Replace) writes: path with links followed.
QString writeTarget(const QString &path);

// Makes a folder and the folders above it that are missing, as mkdir -p does; false with an
// error that names the folder in the way and gives the system's reason.
bool makePath(const QString &path, QString *error);

// Removes what killed writes of path left: regular files beside its target named as that
// target's temporary files are, and nothing else (not another file's, not the learner's).
void removeWriteLeftovers(const QString &path);

} // namespace Files

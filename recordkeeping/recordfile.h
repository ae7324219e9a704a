#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace RecordFile
{

constexpr int kPlaceSize = 10;
constexpr int kPlaces = 10;

// One place of a group's top-ten table, stored little-endian in 10 bytes.
struct PlaceRecord {
    qint32 Point = 0;
    qint16 NumberOfWords = 0;
    qint16 Rate = 0;
    qint16 Speed = 0;
};

QByteArray encode(const PlaceRecord &place);
PlaceRecord decode(const QByteArray &bytes); // missing bytes read as zero

// The installation path & "record_" & group & ".divu"
QString recordPath(const QString &installPath, int group);

using Table = std::array<PlaceRecord, kPlaces>;

// The record's byte image: fixed-length slots numbered from 1. A slot that lies past the end
// reads as zeros; writing one past the end extends the image with zeros.
QByteArray readSlot(const QByteArray &image, int number, int size);
void writeSlot(QByteArray &image, int number, const QByteArray &record);

// Place p (1-based) of a file's bytes; a place past the end reads as all zeros.
PlaceRecord readPlace(const QByteArray &image, int place);

// Ranks a run into a file's bytes as the table is kept: the first place whose point it
// beats strictly, the places below moved down one, the old place 10 dropped. Bytes after
// place 10 are left alone. Returns the place taken, 0 when the run beat none (image
// unchanged).
qint16 placeRun(QByteArray &image, const PlaceRecord &run);

struct ReadResult : Outcome {
    Table places{};
};

// Reads places 1 to 10, creating an empty file when there is none.
ReadResult readRecord(const QString &path);

// What one save found in the file and left there, so that a later save of the same run can
// take its place (a run saved early, when the session asks, and again at its real end).
struct SavedImage {
    bool valid = false;   // the save went through and read the file (a zero point reads none)
    bool existed = false; // the file existed before
    QByteArray before;    // its bytes before
    QByteArray after;     // its bytes after; a file the save removed is missing and empty
};

// Not ok when the file could not be read or written.
struct SaveResult : Outcome {
    qint16 place = 0; // place the run took, 0 for none (also when nothing was saved)
    SavedImage image;
};

// Scores a run as correct x rate x speed and ranks it into the file at path. A value too
// large for its field is held at the nearest end of the field's range, never wrapped: the
// point at -2147483648 or 2147483647 (a product above 0 stays above 0), the number of
// words (wrong + correct) and the rate at -32768 or 32767. A zero point neither opens nor
// creates the file.
// The new table replaces the file whole or not at all (Files::writeWhole; a link is
// followed to the file it names), and a save first removes what killed saves of the same
// record left: only files of the writer's own temporary names for this record.
// With `replacing`, the image of an earlier save of the same run: if the file still holds
// exactly what that save left, the run is ranked into what the file held before it instead
// (a run that now beats no place, a zero point included, puts those bytes back, and a file
// that save created is removed again), so the run is recorded once. The image returned then
// keeps the earlier save's `existed` and `before`, so a chain of such saves replaces one
// another. A file that no longer holds what that save left (cleared, changed) is ranked into
// as it is now.
SaveResult saveRun(const QString &path, qint32 correct, qint32 wrong, qint32 rate, qint16 speed,
                   const SavedImage *replacing = nullptr);

// The outcome of a save with nothing to write: ok, no place taken.
SaveResult nothingToSave();

// Deletes the record; false when there was no file or it could not be deleted.
bool clearRecord(const QString &path);

} // namespace RecordFile

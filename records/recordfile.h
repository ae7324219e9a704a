#pragma once

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

// Place p (1-based) of a file's bytes; a place past the end reads as all zeros.
PlaceRecord readPlace(const QByteArray &image, int place);

// Ranks a run into a file's bytes as the table is kept: the first place whose point it
// beats strictly, the places below moved down one, the old place 10 dropped. Bytes after
// place 10 are left alone. Returns the place taken, 0 when the run beat none (image
// unchanged).
qint16 placeRun(QByteArray &image, const PlaceRecord &run);

struct ReadResult {
    bool ok = false;
    QString error;
    Table places{};
};

// Reads places 1 to 10, creating an empty file when there is none.
ReadResult readRecord(const QString &path);

struct SaveResult {
    bool ok = true; // false when the file could not be read or written
    QString error;
    qint16 place = 0; // place the run took, 0 for none (also when nothing was saved)
};

// Scores a run as correct x rate x speed and ranks it into the file at path. A value too
// large for its field is held at the nearest end of the field's range, never wrapped: the
// point at -2147483648 or 2147483647 (a product above 0 stays above 0), the number of
// words (wrong + correct) and the rate at -32768 or 32767.
// A save also removes what killed saves of the same record left: files named as the
// record followed by a dot and six letters or digits (record_1.divu.aBcDeF, never
// record_12.divu.aBcDeF when saving record_1.divu).
SaveResult saveRun(const QString &path, qint32 correct, qint32 wrong, qint32 rate, qint16 speed);

// Deletes the record; false when there was no file or it could not be deleted.
bool clearRecord(const QString &path);

} // namespace RecordFile

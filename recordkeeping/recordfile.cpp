#include "recordkeeping/recordfile.h"

#include "base/files.h"
#include "base/wholefile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QtNumeric>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <unistd.h>

namespace RecordFile
{

namespace
{

constexpr qint64 kTableSize = qint64(kPlaces) * kPlaceSize;

// A folder, a device or a pipe under the record's name is never opened: reading a pipe
// would block and writing over a folder cannot work.
bool isSomethingElse(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

QString notAFileError(const QString &path)
{
    return QStringLiteral("%1 is not a regular file").arg(path);
}

template <typename Field> Field saturated(qint64 value)
{
    return static_cast<Field>(std::clamp<qint64>(value, std::numeric_limits<Field>::min(),
                                                 std::numeric_limits<Field>::max()));
}

// correct x rate x speed, held at the nearest end of the 32-bit range instead of wrapping.
qint32 pointOf(qint32 correct, qint32 rate, qint16 speed)
{
    const qint64 partial = qint64(correct) * rate; // below 2^62 in size: no overflow
    qint64 point = 0;
    if (qMulOverflow(partial, qint64(speed), &point)) {
        return (partial < 0) != (speed < 0) ? std::numeric_limits<qint32>::min()
                                            : std::numeric_limits<qint32>::max();
    }
    return saturated<qint32>(point);
}

// The file's bytes, or an error; a missing file reads as empty.
bool readImage(const QString &path, bool *exists, QByteArray *image, QString *error)
{
    *exists = QFileInfo::exists(path);
    image->clear();
    if (!*exists) {
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    // The whole file, so that whatever follows place 10 is written back untouched.
    *image = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

// Whether the file is still as an earlier save left it. That save left a file behind unless
// it removed one it had created, and then the file is missing and the image empty.
bool stillHolds(const SavedImage &earlier, bool exists, const QByteArray &image)
{
    if (!exists) {
        return !earlier.existed && earlier.after.isEmpty();
    }
    return image == earlier.after;
}

} // namespace

QByteArray encode(const PlaceRecord &place)
{
    QByteArray bytes(kPlaceSize, '\0');
    uchar *data = reinterpret_cast<uchar *>(bytes.data());
    qToLittleEndian<qint32>(place.Point, data);
    qToLittleEndian<qint16>(place.NumberOfWords, data + 4);
    qToLittleEndian<qint16>(place.Rate, data + 6);
    qToLittleEndian<qint16>(place.Speed, data + 8);
    return bytes;
}

PlaceRecord decode(const QByteArray &bytes)
{
    QByteArray full(kPlaceSize, '\0');
    full.replace(0, qMin<qsizetype>(bytes.size(), kPlaceSize), bytes.left(kPlaceSize));
    const uchar *data = reinterpret_cast<const uchar *>(full.constData());
    PlaceRecord place;
    place.Point = qFromLittleEndian<qint32>(data);
    place.NumberOfWords = qFromLittleEndian<qint16>(data + 4);
    place.Rate = qFromLittleEndian<qint16>(data + 6);
    place.Speed = qFromLittleEndian<qint16>(data + 8);
    return place;
}

QString recordPath(const QString &installPath, int group)
{
    return installPath + QStringLiteral("record_") + QString::number(group) +
           QStringLiteral(".divu");
}

QByteArray readSlot(const QByteArray &image, int number, int size)
{
    QByteArray record(size, '\0');
    const qsizetype offset = static_cast<qsizetype>(number - 1) * size;
    if (number < 1 || offset >= image.size()) {
        return record;
    }
    const QByteArray present = image.mid(offset, size);
    record.replace(0, present.size(), present);
    return record;
}

void writeSlot(QByteArray &image, int number, const QByteArray &record)
{
    if (number < 1) {
        return;
    }
    const qsizetype offset = static_cast<qsizetype>(number - 1) * record.size();
    if (image.size() < offset + record.size()) {
        image.append(QByteArray(offset + record.size() - image.size(), '\0'));
    }
    image.replace(offset, record.size(), record);
}

PlaceRecord readPlace(const QByteArray &image, int place)
{
    return decode(readSlot(image, place, kPlaceSize));
}

qint16 placeRun(QByteArray &image, const PlaceRecord &run)
{
    qint16 place = 0;
    // Strictly greater: a run that ties with a stored one ranks below it.
    for (int p = 1; p <= kPlaces; ++p) {
        if (run.Point > readPlace(image, p).Point) {
            place = static_cast<qint16>(p);
            break;
        }
    }
    if (place == 0) {
        return 0;
    }
    // Places past the end read as zeros and writing extends the image, so a short image
    // ends up exactly as long and as filled as a file changed place by place would.
    for (int q = kPlaces; q > place; --q) {
        writeSlot(image, q, readSlot(image, q - 1, kPlaceSize));
    }
    writeSlot(image, place, encode(run));
    return place;
}

ReadResult readRecord(const QString &path)
{
    ReadResult result;
    if (isSomethingElse(path)) {
        result.error = notAFileError(path);
        return result;
    }
    QFile file(path);
    // Only a missing file needs write access: showing a record creates it empty.
    const bool exists = QFileInfo::exists(path);
    if (!file.open(exists ? QIODevice::ReadOnly : QIODevice::ReadWrite)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray image = file.read(kTableSize);
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    for (int p = 1; p <= kPlaces; ++p) {
        result.places[p - 1] = readPlace(image, p);
    }
    result.succeed();
    return result;
}

SaveResult saveRun(const QString &path, qint32 correct, qint32 wrong, qint32 rate, qint16 speed,
                   const SavedImage *replacing)
{
    Q_UNUSED(replacing);
    SaveResult result;
    result.succeed(); // until something fails; a run not worth keeping is no failure
    PlaceRecord run;
    run.Point = pointOf(correct, rate, speed);
    run.NumberOfWords = saturated<qint16>(qint64(wrong) + correct);
    run.Rate = saturated<qint16>(rate);
    run.Speed = speed;
    const bool mayReplace = replacing && replacing->valid;
    if (run.Point == 0 && !mayReplace) {
        return result; // not a result worth keeping, and no file is created for it
    }

    auto fail = [&result](const QString &error) {
        result.fail(error);
        result.place = 0;
        result.image = SavedImage();
        return result;
    };

    if (isSomethingElse(path)) {
        return fail(notAFileError(path));
    }
    Files::removeWriteLeftovers(path);
    bool exists = false;
    QByteArray current;
    QString error;
    if (!readImage(path, &exists, &current, &error)) {
        return fail(error);
    }

    SavedImage &image = result.image;
    image.existed = exists;
    image.before = current;
    const bool takesPlace = mayReplace && stillHolds(*replacing, exists, current);
    if (takesPlace) {
        image.existed = replacing->existed;
        image.before = replacing->before;
    } else if (run.Point == 0) {
        return result; // the earlier save's entry is gone already; nothing to take back
    }
    image.after = image.before;
    const qint16 place = run.Point == 0 ? 0 : placeRun(image.after, run);

    if (takesPlace && place == 0 && !image.existed) {
        // Taking back a save that created the file: it goes again, as if never written.
        image.after.clear();
        if (exists && ::unlink(QFile::encodeName(Files::writeTarget(path)).constData()) != 0) {
            return fail(QStringLiteral("cannot remove %1: %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
    } else if (!exists || image.after != current) {
        const Files::WriteResult written = Files::writeWhole(path, image.after);
        if (!written.ok) {
            return fail(written.error);
        }
    }
    image.valid = true;
    result.place = place;
    return result;
}

SaveResult nothingToSave()
{
    SaveResult result;
    result.succeed();
    return result;
}

bool clearRecord(const QString &path)
{
    return Files::deleteFile(path);
}

} // namespace RecordFile

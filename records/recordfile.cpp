#include "records/recordfile.h"

#include "base/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>
#include <QtNumeric>

#include <algorithm>
#include <limits>

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

// A save killed between writing its temporary file and renaming it leaves that file behind
// under the name QSaveFile gives it: the record's own name, a dot and six letters or digits.
// Only regular files of exactly that name are removed; those of other groups stay.
void removeLeftovers(const QString &path)
{
    const QFileInfo record(path);
    QDir folder = record.absoluteDir();
    const QString name = QRegularExpression::escape(record.fileName());
    const QRegularExpression leftover(QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(name));
    const QStringList names = folder.entryList({record.fileName() + QStringLiteral(".??????")},
                                               QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &candidate : names) {
        if (leftover.match(candidate).hasMatch()) {
            folder.remove(candidate);
        }
    }
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

PlaceRecord readPlace(const QByteArray &image, int place)
{
    return decode(Files::readRecord(image, place, kPlaceSize));
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
        Files::writeRecord(image, q, Files::readRecord(image, q - 1, kPlaceSize));
    }
    Files::writeRecord(image, place, encode(run));
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
    result.ok = true;
    return result;
}

SaveResult saveRun(const QString &path, qint32 correct, qint32 wrong, qint32 rate, qint16 speed)
{
    SaveResult result;
    PlaceRecord run;
    run.Point = pointOf(correct, rate, speed);
    run.NumberOfWords = saturated<qint16>(qint64(wrong) + correct);
    run.Rate = saturated<qint16>(rate);
    run.Speed = speed;
    if (run.Point == 0) {
        return result; // not a result worth keeping, and no file is created for it
    }

    auto fail = [&result](const QString &error) {
        result.ok = false;
        result.error = error;
        result.place = 0;
        return result;
    };

    if (isSomethingElse(path)) {
        return fail(notAFileError(path));
    }
    removeLeftovers(path);
    const bool exists = QFileInfo::exists(path);
    QByteArray image;
    if (exists) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(file.errorString());
        }
        // The whole file, so that whatever follows place 10 is written back untouched.
        image = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return fail(file.errorString());
        }
    }

    const QByteArray before = image;
    const qint16 place = placeRun(image, run);
    if (exists && image == before) {
        return result;
    }

    // The new table replaces the old one whole or not at all; a failure part way leaves
    // the old file as it was.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    // commit() overlooks a short write in its own final flush and would put a cut-off
    // table in place, so the flush is checked here first.
    if (file.write(image) != image.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return fail(error);
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    result.place = place;
    return result;
}

bool clearRecord(const QString &path)
{
    return Files::deleteFile(path);
}

} // namespace RecordFile

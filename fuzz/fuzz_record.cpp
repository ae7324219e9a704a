// Ranking a run into a record file, checked against a plain model: the first place whose
// point the run beats strictly takes it, the places below move down one, place 10 drops,
// bytes after place 10 stay, and the file never gets shorter. The input is the run (correct,
// wrong and rate as 32-bit, speed as 16-bit numbers, little-endian), one byte of options,
// then the file's bytes.
#include "fuzz/check.h"
#include "recordkeeping/recordfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>

namespace
{

constexpr int kHeader = 15;

struct Run {
    qint32 correct = 0;
    qint32 wrong = 0;
    qint32 rate = 0;
    qint16 speed = 0;
};

template <typename T> T held(__int128 value)
{
    const __int128 low = std::numeric_limits<T>::min();
    const __int128 high = std::numeric_limits<T>::max();
    return static_cast<T>(value < low ? low : value > high ? high : value);
}

RecordFile::PlaceRecord modelPlace(const Run &run)
{
    RecordFile::PlaceRecord place;
    place.Point = held<qint32>(__int128(run.correct) * run.rate * run.speed);
    place.NumberOfWords = held<qint16>(__int128(run.wrong) + run.correct);
    place.Rate = held<qint16>(run.rate);
    place.Speed = run.speed;
    return place;
}

QByteArray modelBytes(const RecordFile::PlaceRecord &place)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += char((quint32(place.Point) >> (8 * i)) & 0xFF);
    }
    for (qint16 field : {place.NumberOfWords, place.Rate, place.Speed}) {
        bytes += char(quint16(field) & 0xFF);
        bytes += char(quint16(field) >> 8);
    }
    return bytes;
}

// The image after the run, and the place it took (0: the image stays as it was).
QByteArray modelRanking(const QByteArray &image, const RecordFile::PlaceRecord &run, int *place)
{
    QByteArray table = image.left(100);
    table.append(QByteArray(100 - table.size(), '\0'));
    *place = 0;
    for (int p = 1; p <= 10 && *place == 0; ++p) {
        const qint32 point = qFromLittleEndian<qint32>(table.constData() + (p - 1) * 10);
        if (run.Point > point) {
            *place = p;
        }
    }
    if (*place == 0) {
        return image;
    }
    const int at = (*place - 1) * 10;
    return table.left(at) + modelBytes(run) + table.mid(at, 90 - at) + image.mid(100);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), path);
    FUZZ_CHECK(file.write(bytes) == bytes.size(), path);
}

// The same run saved into a real file, with leftovers of killed saves lying beside it, and,
// when `again`, saved once more at its end in the first save's place.
void checkSave(const Run &run, bool exists, const QByteArray &image, bool again)
{
    static QTemporaryDir dir(scratchTemplate());
    QDir folder(dir.path());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        folder.remove(name);
    }
    const QString path = RecordFile::recordPath(dir.path() + QLatin1Char('/'), 1);
    const QByteArray start = exists ? image : QByteArray();
    if (exists) {
        writeAll(path, image);
    }
    const QString own = dir.filePath(QStringLiteral(".record_1.divu.wordmoor-save-aBc123"));
    const QString other = dir.filePath(QStringLiteral(".record_12.divu.wordmoor-save-aBc123"));
    const QString learners = path + QStringLiteral(".aBc123"); // never the program's to remove
    writeAll(own, "x");
    writeAll(other, "x");
    writeAll(learners, "x");

    const RecordFile::PlaceRecord place = modelPlace(run);
    int expectedPlace = 0;
    const QByteArray expected = modelRanking(start, place, &expectedPlace);
    const RecordFile::SaveResult result =
        RecordFile::saveRun(path, run.correct, run.wrong, run.rate, run.speed);
    FUZZ_CHECK(result.ok, result.error);
    FUZZ_CHECK(QFile::exists(other) && QFile::exists(learners), other);
    const QByteArray after = readAll(path);
    if (place.Point == 0) {
        // Not worth keeping: nothing is created, changed or cleaned.
        FUZZ_CHECK(result.place == 0, QString::number(result.place));
        FUZZ_CHECK(QFile::exists(path) == exists && after == start, path);
        FUZZ_CHECK(QFile::exists(own), own);
        return;
    }
    FUZZ_CHECK(result.place == expectedPlace, QString::number(result.place));
    FUZZ_CHECK(!QFile::exists(own), own);
    FUZZ_CHECK(after == expected, QString::fromLatin1(after.toHex()));
    FUZZ_CHECK(result.image.valid && result.image.after == after, "image");
    if (!again) {
        return;
    }
    // The same run saved again at its end, with its counts swapped, in the first one's place:
    // the file is as if only the second had been saved.
    const Run final{run.wrong, run.correct, run.rate, run.speed};
    const RecordFile::PlaceRecord finalPlace = modelPlace(final);
    int finalExpected = 0;
    // A zero point takes no place, not even above a stored negative one: it only takes back.
    QByteArray expectedFinal =
        finalPlace.Point == 0 ? start : modelRanking(start, finalPlace, &finalExpected);
    const RecordFile::SaveResult second = RecordFile::saveRun(
        path, final.correct, final.wrong, final.rate, final.speed, &result.image);
    FUZZ_CHECK(second.ok, second.error);
    if (finalExpected == 0 && !exists) {
        FUZZ_CHECK(!QFile::exists(path), "a file the first save created is removed");
        expectedFinal.clear();
    }
    FUZZ_CHECK(second.place == finalExpected, QString::number(second.place));
    FUZZ_CHECK(readAll(path) == expectedFinal, QString::fromLatin1(readAll(path).toHex()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < size_t(kHeader)) {
        return 0;
    }
    Run run;
    run.correct = qFromLittleEndian<qint32>(data);
    run.wrong = qFromLittleEndian<qint32>(data + 4);
    run.rate = qFromLittleEndian<qint32>(data + 8);
    run.speed = qFromLittleEndian<qint16>(data + 12);
    const quint8 options = data[14];
    const QByteArray image = inputBytes(data + kHeader, size - kHeader);

    const RecordFile::PlaceRecord place = modelPlace(run);
    int expectedPlace = 0;
    const QByteArray expected = modelRanking(image, place, &expectedPlace);
    QByteArray ranked = image;
    FUZZ_CHECK(RecordFile::placeRun(ranked, place) == expectedPlace, "place");
    FUZZ_CHECK(ranked == expected, QString::fromLatin1(ranked.toHex()));
    FUZZ_CHECK(ranked.size() >= image.size(), "shorter");
    // A real save costs file system calls: only for some inputs, as the options say.
    if (options & 2) {
        checkSave(run, options & 1, image, options & 4);
    }
    return 0;
}

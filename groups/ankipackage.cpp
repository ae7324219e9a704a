#include "groups/ankipackage.h"

#include "groups/collection.h"
#include "groups/meanings.h"

#include <QAtomicInteger>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <zip.h>
#include <zstd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace Groups
{

namespace
{

// Newest first: a recent package keeps a stub collection.anki2 that only asks the user to
// update Anki, beside the real collection.anki21b.
const char *const kCollections[] = {"collection.anki21b", "collection.anki21", "collection.anki2"};
constexpr char kFieldSeparator = '\x1f';
const QByteArray kSqliteMagic("SQLite format 3", 16); // with its NUL

struct ZipDiscarder {
    void operator()(zip_t *zip) const { zip_discard(zip); }
};
struct EntryCloser {
    void operator()(zip_file_t *entry) const { zip_fclose(entry); }
};
struct ZstdFreer {
    void operator()(ZSTD_DCtx *context) const { ZSTD_freeDCtx(context); }
};
using Zip = std::unique_ptr<zip_t, ZipDiscarder>;

AnkiPackage failure(const QString &error)
{
    AnkiPackage package;
    package.fail(error);
    return package;
}

QString zipReason(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString reason = QString::fromLocal8Bit(zip_error_strerror(&error));
    zip_error_fini(&error);
    return reason;
}

QString tooLarge(qint64 most)
{
    const qint64 mebibyte = 1024 * 1024;
    return QStringLiteral("the collection is larger than %1 unpacked; not read")
        .arg(most % mebibyte == 0 ? QStringLiteral("%1 MiB").arg(most / mebibyte)
                                  : QStringLiteral("%1 bytes").arg(most));
}

QString damaged(const QString &reason)
{
    return QStringLiteral("the collection cannot be unpacked: ") + reason;
}

// Copies one entry of the zip into target, through zstd when compressed, stopping at `most`
// bytes read or written whatever the entry's header claims (zstd's skippable frames would
// let a bomb read on without writing).
QString unpack(zip_t *zip, zip_int64_t index, bool compressed, const QString &target, qint64 most)
{
    std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(zip, index, 0));
    if (!entry) {
        return damaged(QString::fromLocal8Bit(zip_strerror(zip)));
    }
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        return damaged(file.errorString());
    }
    std::unique_ptr<ZSTD_DCtx, ZstdFreer> context(compressed ? ZSTD_createDCtx() : nullptr);
    if (compressed && !context) {
        return damaged(QStringLiteral("out of memory"));
    }
    std::vector<char> in(64 * 1024);
    std::vector<char> out(ZSTD_DStreamOutSize());
    qint64 written = 0;
    qint64 read = 0;
    const auto put = [&](const char *data, qint64 size) {
        if (written + size > most) {
            return tooLarge(most);
        }
        written += size;
        return file.write(data, size) == size ? QString() : damaged(file.errorString());
    };
    size_t frameLeft = 0; // what zstd still expects of the frame it is in
    for (;;) {
        const zip_int64_t got = zip_fread(entry.get(), in.data(), in.size());
        if (got < 0) {
            return damaged(QString::fromLocal8Bit(zip_file_strerror(entry.get())));
        }
        if (got == 0) {
            break;
        }
        read += got;
        if (read > most) {
            return tooLarge(most);
        }
        if (!compressed) {
            if (const QString error = put(in.data(), got); !error.isEmpty()) {
                return error;
            }
            continue;
        }
        ZSTD_inBuffer input{in.data(), static_cast<size_t>(got), 0};
        while (input.pos < input.size) {
            ZSTD_outBuffer output{out.data(), out.size(), 0};
            frameLeft = ZSTD_decompressStream(context.get(), &output, &input);
            if (ZSTD_isError(frameLeft)) {
                return QStringLiteral("the compressed collection is damaged: ") +
                       QString::fromLatin1(ZSTD_getErrorName(frameLeft));
            }
            if (const QString error = put(out.data(), qint64(output.pos)); !error.isEmpty()) {
                return error;
            }
        }
    }
    if (frameLeft != 0) {
        return QStringLiteral("the compressed collection ends early");
    }
    return file.flush() ? QString() : damaged(file.errorString());
}

// SQLite opens any file and fails only at the first query, with "file is not a database";
// a package holding something else is told plainly.
QString checkDatabase(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return damaged(file.errorString());
    }
    const QByteArray header = file.read(100);
    return header.size() == 100 && header.startsWith(kSqliteMagic)
               ? QString()
               : QStringLiteral("the collection is not an SQLite database");
}

struct NoteType {
    QString name;
    QStringList fields;
};

QString sqlFailure(const QSqlQuery &query)
{
    return QStringLiteral("the collection cannot be read: ") + query.lastError().text();
}

// Before schema 18 the note types are one JSON object in col.models, keyed by id.
QString readModels(const QString &json, QHash<qint64, NoteType> &types)
{
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &parse);
    if (!document.isObject()) {
        return QStringLiteral("the collection's note types cannot be read: ") +
               parse.errorString();
    }
    const QJsonObject models = document.object();
    for (auto model = models.begin(); model != models.end(); ++model) {
        const QJsonObject object = model->toObject();
        QList<QJsonObject> fields;
        for (const QJsonValue &field : object.value(QLatin1String("flds")).toArray()) {
            fields.append(field.toObject());
        }
        std::stable_sort(fields.begin(), fields.end(), [](const auto &a, const auto &b) {
            return a.value(QLatin1String("ord")).toInt() < b.value(QLatin1String("ord")).toInt();
        });
        NoteType &type = types[model.key().toLongLong()];
        type.name = object.value(QLatin1String("name")).toString();
        for (const QJsonObject &field : fields) {
            type.fields.append(field.value(QLatin1String("name")).toString());
        }
    }
    return QString();
}

QString readNoteTypes(QSqlDatabase &db, QHash<qint64, NoteType> &types)
{
    QSqlQuery query(db);
    if (!db.tables().contains(QLatin1String("notetypes"))) {
        if (!query.exec(QStringLiteral("SELECT models FROM col"))) {
            return sqlFailure(query);
        }
        return query.next() ? readModels(query.value(0).toString(), types)
                            : QStringLiteral("the collection has no note types");
    }
    if (!query.exec(QStringLiteral("SELECT id, name FROM notetypes"))) {
        return sqlFailure(query);
    }
    while (query.next()) {
        types[query.value(0).toLongLong()].name = query.value(1).toString();
    }
    if (!query.exec(QStringLiteral("SELECT ntid, name FROM fields ORDER BY ntid, ord"))) {
        return sqlFailure(query);
    }
    while (query.next()) {
        const auto type = types.find(query.value(0).toLongLong());
        if (type != types.end()) {
            type->fields.append(query.value(1).toString());
        }
    }
    return query.lastError().type() == QSqlError::NoError ? QString() : sqlFailure(query);
}

QString readNotes(QSqlDatabase &db, AnkiPackage &package)
{
    QHash<qint64, NoteType> types;
    if (const QString error = readNoteTypes(db, types); !error.isEmpty()) {
        return error;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT mid, flds, tags FROM notes ORDER BY id"))) {
        return sqlFailure(query);
    }
    QHash<qint64, qsizetype> placed;
    while (query.next()) {
        const qint64 mid = query.value(0).toLongLong();
        auto where = placed.constFind(mid);
        if (where == placed.constEnd()) {
            const NoteType type = types.value(mid);
            package.noteTypes.append(AnkiNoteType{type.name, type.fields, {}, {}});
            where = placed.insert(mid, package.noteTypes.size() - 1);
        }
        AnkiNoteType &type = package.noteTypes[*where];
        QStringList fields = query.value(1).toString().split(QLatin1Char(kFieldSeparator));
        while (fields.size() < type.fieldNames.size()) {
            fields.append(QString());
        }
        type.notes.append(fields);
        type.tags.append(query.value(2).toString().trimmed());
    }
    return query.lastError().type() == QSqlError::NoError ? QString() : sqlFailure(query);
}

QString readCollection(const QString &path, AnkiPackage &package)
{
    const QString driver = QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        return QStringLiteral("Qt's SQLite driver is missing (Debian: libqt6sql6-sqlite)");
    }
    static QAtomicInteger<quint64> connections;
    const QString name = QStringLiteral("wordmoor-anki-%1").arg(connections.fetchAndAddRelaxed(1));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            error = readNotes(db, package);
        } else {
            error = QStringLiteral("the collection cannot be opened: ") + db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

AnkiPackage readZip(zip_t *zip, qint64 mostBytes)
{
    zip_int64_t index = -1;
    QString name;
    for (const char *collection : kCollections) {
        index = zip_name_locate(zip, collection, 0);
        if (index >= 0) {
            name = QString::fromLatin1(collection);
            break;
        }
    }
    if (index < 0) {
        return failure(QStringLiteral("no collection in the package (none of "
                                      "collection.anki21b, collection.anki21, collection.anki2)"));
    }
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        return failure(QStringLiteral("cannot make a temporary folder: ") + folder.errorString());
    }
    const QString path = folder.filePath(QStringLiteral("collection.sqlite"));
    QString error = unpack(zip, index, name.endsWith(QLatin1Char('b')), path, mostBytes);
    if (error.isEmpty()) {
        error = checkDatabase(path);
    }
    AnkiPackage package;
    if (error.isEmpty()) {
        error = readCollection(path, package);
    }
    if (!error.isEmpty()) {
        return failure(name + QStringLiteral(": ") + error);
    }
    package.succeed();
    return package;
}

QString notZip()
{
    return QStringLiteral("not a zip file, so not an Anki package");
}

} // namespace

bool looksLikeZip(const QByteArray &head)
{
    return head.startsWith(QByteArrayLiteral("PK\x03\x04")) ||
           head.startsWith(QByteArrayLiteral("PK\x05\x06")); // an empty zip
}

AnkiPackage readAnkiPackage(const QString &path, qint64 mostBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failure(QStringLiteral("cannot open: ") + file.errorString());
    }
    if (!looksLikeZip(file.read(4))) {
        return failure(notZip());
    }
    file.close();
    int code = 0;
    Zip zip(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code));
    if (!zip) {
        return failure(notZip() + QStringLiteral(" (") + zipReason(code) + QLatin1Char(')'));
    }
    return readZip(zip.get(), mostBytes);
}

AnkiPackage readAnkiPackage(const QByteArray &bytes, qint64 mostBytes)
{
    if (!looksLikeZip(bytes)) {
        return failure(notZip());
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), bytes.size(), 0, &error);
    Zip zip(source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr);
    if (!zip) {
        zip_source_free(source);
        const QString reason = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        return failure(notZip() + QStringLiteral(" (") + reason + QLatin1Char(')'));
    }
    zip_error_fini(&error);
    return readZip(zip.get(), mostBytes);
}

Source packageSource(const AnkiPackage &package, const ReadOptions &options)
{
    Source source;
    if (!package.ok) {
        source.notes.append({QString(), 1, Severity::Error, package.error});
        return source;
    }
    int number = 0;
    QStringList columns;
    for (const AnkiNoteType &type : package.noteTypes) {
        QList<QStringList> texts;
        QList<int> lines;
        for (const QStringList &note : type.notes) {
            QStringList text;
            for (const QString &field : note) {
                text.append(htmlToText(field));
            }
            texts.append(text);
            lines.append(++number);
        }
        // Every note type is a table of its own, its field names the heading.
        Source part = readFields(type.fieldNames, texts, lines, options);
        // A collection holds every deck of its learner: one without Chinese is not taken.
        if (part.ok && std::none_of(part.entries.begin(), part.entries.end(),
                                    [](const SourceEntry &e) { return hasHan(e.word); })) {
            part.ok = false;
            part.notes = {{QString(), 1, Severity::Warning,
                           QStringLiteral("no field of Chinese words")}};
        }
        if (!part.ok) {
            source.notes.append(
                {QString(), lines.value(0, 1), Severity::Warning,
                 QStringLiteral("note type '%1': %2; its %3 notes are left out")
                     .arg(type.name,
                          part.notes.isEmpty() ? QStringLiteral("no column to take")
                                               : part.notes.first().text)
                     .arg(texts.size())});
            continue;
        }
        columns.append(QStringLiteral("note type '%1': %2").arg(type.name, part.columns));
        source.entries.append(part.entries);
        source.notes.append(part.notes);
    }
    source.columns = columns.join(QStringLiteral("; "));
    source.ok = true;
    return source;
}

} // namespace Groups

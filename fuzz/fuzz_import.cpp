// The importers of wordmoor-groups on any bytes, read as each format (Anki's packages too,
// and as tables with the columns the learner names): every entry they make is one the drill
// runs, a group file written of them reads back as the same entries, a table written with the export's
// quoting reads back as the same fields, and the column choice names columns that exist.
#include "base/files.h"
#include "drillcore/drillrules.h"
#include "drillcore/questions.h"
#include "fuzz/check.h"
#include "groups/ankipackage.h"
#include "groups/columns.h"
#include "groups/importer.h"
#include "groups/meanings.h"
#include "groups/readers.h"
#include "groups/tabletext.h"

#include <QSet>

#include <zip.h>

namespace
{

void checkEntry(const WordFile::Entry &entry)
{
    FUZZ_CHECK(!entry.word.isEmpty() && entry.word == entry.word.trimmed(), entry.word);
    FUZZ_CHECK(!entry.word.contains(QLatin1Char('\r')) && !entry.word.contains(QLatin1Char('\n')),
               entry.word);
    FUZZ_CHECK(entry.word.size() <= WordFile::kMaxLineLength, entry.word.left(20));
    FUZZ_CHECK(entry.renderings.size() <= WordFile::kMaxLineLength, entry.word);
    const QStringList split = Questions::splitRenderings(entry.renderings);
    FUZZ_CHECK(split.size() <= DrillRules::kMostRenderings, entry.renderings);
    QSet<QString> seen;
    for (const QString &rendering : split) {
        FUZZ_CHECK(!rendering.isEmpty() && rendering == rendering.trimmed(), entry.renderings);
        FUZZ_CHECK(!rendering.contains(QLatin1Char('\n')) && !rendering.contains(QLatin1Char('\r')),
                   entry.renderings);
        FUZZ_CHECK(!seen.contains(rendering), rendering);
        seen.insert(rendering);
    }
    FUZZ_CHECK(split.join(QStringLiteral("; ")) == entry.renderings, entry.renderings);
}

// What the drill reads from the file the import would write.
void checkWrittenGroup(const QList<WordFile::Entry> &entries)
{
    const QStringList lines = Files::decodeLines(Groups::groupFileBytes(entries));
    FUZZ_CHECK(lines.size() == 2 * entries.size(), QString::number(lines.size()));
    for (qsizetype i = 0; i < entries.size(); ++i) {
        FUZZ_CHECK(lines[2 * i] == entries[i].word, entries[i].word);
        FUZZ_CHECK(lines[2 * i + 1] == entries[i].renderings, entries[i].renderings);
    }
}

// The export writes fields with quoteField, tab-separated; Anki's rules read them back.
void checkTableRoundTrip(const QString &text)
{
    const QChar tab = QLatin1Char('\t');
    QList<QStringList> expected;
    QString written;
    for (const Groups::Record &record : Groups::readTable(text, tab).records) {
        if (record.fields.size() == 1 && record.fields[0].isEmpty()) {
            continue; // written as a blank line, which holds no record
        }
        QStringList quoted;
        for (const QString &field : record.fields) {
            quoted << Groups::quoteField(field, tab);
        }
        written += quoted.join(tab) + QLatin1Char('\n');
        expected << record.fields;
    }
    const Groups::Table back = Groups::readTable(written, tab, 1, true);
    FUZZ_CHECK(back.unclosedQuoteLine == 0, written.left(40));
    FUZZ_CHECK(back.records.size() == expected.size(), QString::number(back.records.size()));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(back.records[i].fields == expected[i], expected[i].join(QLatin1Char('|')));
    }
}

// Bytes that begin as a database are packed first, so that the reader's queries meet damaged
// databases: a damaged entry of a real zip never gets past its checksum.
QByteArray packed(const QByteArray &collection)
{
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(buffer);
    zip_t *zip = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    zip_file_add(zip, "collection.anki2",
                 zip_source_buffer(zip, collection.constData(), collection.size(), 0), 0);
    zip_set_file_compression(zip, 0, ZIP_CM_STORE, 0);
    FUZZ_CHECK(zip_close(zip) == 0, QStringLiteral("packing"));
    zip_stat_t stat;
    QByteArray bytes;
    if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
        bytes.resize(qsizetype(stat.size));
        bytes.resize(qMax<qsizetype>(0, zip_source_read(buffer, bytes.data(), stat.size)));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

// A package as read, unpacked with a small cap so that a compressed bomb costs little.
Groups::Source packageSource(const QByteArray &bytes)
{
    const Groups::AnkiPackage package = Groups::readAnkiPackage(bytes, 4 * 1024 * 1024);
    FUZZ_CHECK(package.error.isEmpty() || package.noteTypes.isEmpty(), package.error);
    for (const Groups::AnkiNoteType &type : package.noteTypes) {
        FUZZ_CHECK(!type.notes.isEmpty() && type.tags.size() == type.notes.size(), type.name);
        for (const QStringList &note : type.notes) {
            FUZZ_CHECK(note.size() >= type.fieldNames.size(), type.name);
        }
    }
    return Groups::packageSource(package);
}

} // namespace

// The choice names a column the rows have, never the same one twice, or says why not.
void checkColumnChoice(const QString &text)
{
    QList<QStringList> rows;
    for (const Groups::Record &record : Groups::readTable(text, QLatin1Char('\t')).records) {
        rows << record.fields;
    }
    const Groups::ColumnChoice choice = Groups::chooseColumns({}, rows);
    if (choice.error.isEmpty()) {
        FUZZ_CHECK(choice.word >= 0 && choice.word < choice.kinds.size(),
                   QString::number(choice.word));
        FUZZ_CHECK(choice.meaning >= 0 && choice.meaning < choice.kinds.size() &&
                       choice.meaning != choice.word,
                   QString::number(choice.meaning));
    }
    for (const QString &meaning : Groups::meaningsOf(text, true, Groups::senseSplitOf({text}))) {
        FUZZ_CHECK(!meaning.isEmpty() && meaning == meaning.trimmed(), meaning);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The packages' unpacked collections go where the other targets' files go.
    static const bool scratch = qputenv("TMPDIR", QFileInfo(scratchTemplate()).path().toUtf8());
    Q_UNUSED(scratch);
    const QByteArray bytes = inputBytes(data, size);
    Groups::detectFormat(bytes, QStringLiteral("input.txt"));
    const Groups::ReadOptions named{2, 1}; // as --word-column 2 --meaning-column 1
    for (const auto &[format, options] :
         {std::pair{Groups::Format::Kvtml, Groups::ReadOptions{}},
          std::pair{Groups::Format::Anki, Groups::ReadOptions{}},
          std::pair{Groups::Format::Csv, Groups::ReadOptions{}},
          std::pair{Groups::Format::Csv, named},
          std::pair{Groups::Format::WordFile, Groups::ReadOptions{}},
          std::pair{Groups::Format::Pleco, Groups::ReadOptions{}},
          std::pair{Groups::Format::AnkiPackage, Groups::ReadOptions{}}}) {
        const Groups::Source source =
            format == Groups::Format::AnkiPackage
                ? packageSource(bytes.startsWith("SQLite format 3") ? packed(bytes) : bytes)
                : Groups::readSource(bytes, format, options);
        QList<Groups::Diagnostic> notes;
        QList<WordFile::Entry> entries;
        for (const Groups::PreparedEntry &prepared :
             Groups::prepareEntries(source.entries, QStringLiteral("input"), notes)) {
            checkEntry(prepared.entry);
            entries.append(prepared.entry);
        }
        checkWrittenGroup(entries);
    }
    checkTableRoundTrip(Files::decodeText(bytes));
    checkColumnChoice(Groups::decodeImported(bytes));
    return 0;
}

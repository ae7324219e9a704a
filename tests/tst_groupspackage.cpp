// wordmoor-groups reading Anki's packages: files that other programs wrote (tests/data/anki),
// and packages broken in the ways a download or a disk breaks them.
#include "groups/ankipackage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>
#include <zstd.h>

class TestGroupsPackage : public QObject
{
    Q_OBJECT

private slots:
    // Tests that run beside this one make folders in the shared temporary folder too.
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(ownTemp.path())); }
    void readsPackages_data();
    void readsPackages();

private:
    QTemporaryDir ownTemp;
    QTemporaryDir made;
};

namespace
{

QString sample(const char *name)
{
    return QStringLiteral(WORDMOOR_SOURCE_DIR "/tests/data/anki/") + QLatin1String(name);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A package of one entry, stored as it is.
QString makeZip(const QString &path, const char *name, const QByteArray &bytes)
{
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    zip_file_add(zip, name, zip_source_buffer(zip, bytes.constData(), bytes.size(), 0), 0);
    zip_close(zip);
    return path;
}

// Each note type as "name: fields (count)", then its first note as "fields [tags]".
QStringList summary(const Groups::AnkiPackage &package)
{
    QStringList lines;
    for (const Groups::AnkiNoteType &type : package.noteTypes) {
        lines << QStringLiteral("%1: %2 (%3)")
                     .arg(type.name, type.fieldNames.join(QLatin1Char('|')))
                     .arg(type.notes.size());
        lines << type.notes.first().join(QLatin1Char('|')) + " [" + type.tags.first() + "] " +
                     QString::number(type.tags.size());
    }
    return lines;
}

} // namespace

void TestGroupsPackage::readsPackages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("most");
    QTest::addColumn<QStringList>("expected"); // the summary, then the import's first and last
    QTest::addColumn<QString>("error");        // a part of it

    const QStringList basic{"HSK 1: Front|Back (5)",
                            "的|de<br>of; possessive particle [HSK1 lesson_1] 5",
                            "的|de\nof\npossessive particle", "在|to be at\nat\nto exist"};
    const QStringList fields{"HSK Vocabulary: Simplified|Traditional|Pinyin|Meaning (4)",
                             "爱|愛|ài|to love; love; affection [HSK1] 4",
                             "Basic: Front|Back (2)",
                             "电脑|<b>diàn nǎo</b><br>computer [] 2",
                             "爱|to love\nlove\naffection",
                             "飞机|airplane & plane"};
    const qint64 most = Groups::kMostCollectionBytes;
    QTest::newRow("anki_apkg_export_basic")
        << sample("hsk-basic.apkg") << most << basic << QString();
    QTest::newRow("anki_apkg_export_no_chinese")
        << sample("readme-example.apkg") << most
        << QStringList{"deck-name: Front|Back (3)", "card #1 front|card #1 back [] 3"}
        << QString();
    QTest::newRow("genanki_two_note_types")
        << sample("hsk-fields.apkg") << most << fields << QString();
    QTest::newRow("anki21b_imitation_beside_stub")
        << sample("hsk-fields.colpkg") << most << fields << QString();

    // The collection of hsk-fields.apkg, made smaller for the fuzzer.
    const QByteArray collection =
        readAll(WORDMOOR_SOURCE_DIR "/fuzz/corpus/import/anki_collection");
    QByteArray packed(ZSTD_compressBound(collection.size()), '\0');
    packed.resize(
        ZSTD_compress(packed.data(), packed.size(), collection.data(), collection.size(), 3));
    const QString dir = made.path() + QLatin1Char('/');
    const QList<std::tuple<const char *, QString, QString>> broken{
        {"over_the_cap", sample("hsk-basic.apkg"), "larger than 4000 bytes"},
        {"zstd_over_the_cap", makeZip(dir + "big.colpkg", "collection.anki21b", packed),
         "larger than 4000 bytes"},
        {"not_a_zip", sample("make-anki21b.sh"), "not a zip file"},
        {"missing_file", dir + "none.apkg", "cannot open"},
        {"truncated_zip", dir + "cut.apkg", "not a zip file"},
        {"no_collection", makeZip(dir + "media.apkg", "media", "{}"), "no collection in"},
        {"truncated_sqlite",
         makeZip(dir + "short.apkg", "collection.anki2", collection.left(2048)),
         "collection.anki2: the collection cannot be read"},
        {"not_sqlite", makeZip(dir + "text.apkg", "collection.anki21", "hello"),
         "not an SQLite database"},
        {"zstd_garbage", makeZip(dir + "x.colpkg", "collection.anki21b", collection.left(200)),
         "compressed collection is damaged"},
        {"zstd_cut", makeZip(dir + "half.colpkg", "collection.anki21b", packed.left(500)),
         "compressed collection ends early"},
    };
    QFile::copy(sample("hsk-basic.apkg"), dir + "cut.apkg");
    QFile(dir + "cut.apkg").resize(1500);
    for (const auto &[tag, path, error] : broken) {
        QTest::newRow(tag) << path << (error.startsWith("larger") ? 4000 : most) << QStringList()
                           << error;
    }
}

// Guards against a note type or field order lost, the stub collection read instead of the
// real one, and a broken package crashing, hanging or passing for an empty deck.
void TestGroupsPackage::readsPackages()
{
    QFETCH(QString, path);
    QFETCH(qint64, most);
    QFETCH(QStringList, expected);
    QFETCH(QString, error);
    const QStringList folders = QDir::temp().entryList(QDir::Dirs);
    const Groups::AnkiPackage package = Groups::readAnkiPackage(path, most);
    QVERIFY2(error.isEmpty() ? package.error.isEmpty() : package.error.contains(error),
             qPrintable(package.error));
    const Groups::Source source = Groups::packageSource(package);
    QCOMPARE(source.ok, error.isEmpty());
    const auto shown = [&](qsizetype i) {
        return source.entries[i].word + "|" + source.entries[i].renderings;
    };
    const qsizetype n = source.entries.size();
    QCOMPARE(summary(package) + (n == 0 ? QStringList() : QStringList{shown(0), shown(n - 1)}),
             expected);
    // A note type left out, or a failure, is said.
    QCOMPARE(source.notes.isEmpty(), source.ok && n > 0);
    if (QFile::exists(path)) {
        const Groups::AnkiPackage fromBytes = Groups::readAnkiPackage(readAll(path), most);
        QCOMPARE(fromBytes.error, package.error);
        QCOMPARE(summary(fromBytes), summary(package));
    }
    QCOMPARE(QDir::temp().entryList(QDir::Dirs), folders); // the unpacked copies removed
}

QTEST_GUILESS_MAIN(TestGroupsPackage)
#include "tst_groupspackage.moc"

// wordmoor-groups reading Anki's packages: files that other programs wrote (tests/data/anki),
// and packages broken in the ways a download or a disk breaks them.
#include "groups/ankipackage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

class TestGroupsPackage : public QObject
{
    Q_OBJECT

private slots:
    void readsPackages_data();
    void readsPackages();

private:
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

QByteArray entryOf(const QString &package, const char *name)
{
    zip_t *zip = zip_open(QFile::encodeName(package).constData(), ZIP_RDONLY, nullptr);
    zip_file_t *entry = zip ? zip_fopen(zip, name, 0) : nullptr;
    QByteArray bytes(1 << 20, '\0');
    const zip_int64_t got = entry ? zip_fread(entry, bytes.data(), bytes.size()) : -1;
    if (entry) {
        zip_fclose(entry);
    }
    if (zip) {
        zip_discard(zip);
    }
    return bytes.left(std::max<zip_int64_t>(got, 0));
}

// A package of the given entries, stored as they are.
QString makeZip(const QString &path, const QList<QPair<const char *, QByteArray>> &entries)
{
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const auto &[name, bytes] : entries) {
        zip_source_t *source = zip_source_buffer(zip, bytes.constData(), bytes.size(), 0);
        zip_file_add(zip, name, source, ZIP_FL_OVERWRITE);
    }
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
        if (type.tags.size() != type.notes.size()) {
            lines << QStringLiteral("%1 tags").arg(type.tags.size());
        }
        lines << type.notes.first().join(QLatin1Char('|')) + " [" + type.tags.first() + "]";
    }
    return lines;
}

} // namespace

void TestGroupsPackage::readsPackages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("most");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("error"); // a part of it

    const QStringList basic{"HSK 1: Front|Back (5)",
                            "的|de<br>of; possessive particle [HSK1 lesson_1]"};
    const QStringList fields{"HSK Vocabulary: Simplified|Traditional|Pinyin|Meaning (4)",
                             "爱|愛|ài|to love; love; affection [HSK1]", "Basic: Front|Back (2)",
                             "电脑|<b>diàn nǎo</b><br>computer []"};
    const qint64 most = Groups::kMostCollectionBytes;
    QTest::newRow("anki_apkg_export_basic")
        << sample("hsk-basic.apkg") << most << basic << QString();
    QTest::newRow("genanki_two_note_types")
        << sample("hsk-fields.apkg") << most << fields << QString();
    QTest::newRow("anki21b_imitation_beside_stub")
        << sample("hsk-fields.colpkg") << most << fields << QString();

    const QByteArray collection = entryOf(sample("hsk-basic.apkg"), "collection.anki2");
    const QByteArray compressed = entryOf(sample("hsk-fields.colpkg"), "collection.anki21b");
    QVERIFY(collection.size() > 4096 && compressed.size() > 1000);
    QByteArray walMode = collection;
    walMode[18] = walMode[19] = 2;
    const QString dir = made.path() + QLatin1Char('/');
    QTest::newRow("wal_mode_collection")
        << makeZip(dir + "wal.apkg", {{"collection.anki21", walMode}}) << most << basic
        << QString();
    QTest::newRow("not_a_zip") << sample("make-anki21b.sh") << most << QStringList()
                               << "not a zip file";
    QTest::newRow("missing_file") << dir + "none.apkg" << most << QStringList() << "cannot open";
    QFile::copy(sample("hsk-basic.apkg"), dir + "cut.apkg");
    QFile(dir + "cut.apkg").resize(1500);
    QTest::newRow("truncated_zip") << dir + "cut.apkg" << most << QStringList() << "not a zip file";
    QTest::newRow("no_collection") << makeZip(dir + "media.apkg", {{"media", "{}"}}) << most
                                   << QStringList() << "no collection in the package";
    QTest::newRow("truncated_sqlite")
        << makeZip(dir + "short.apkg", {{"collection.anki2", collection.left(6000)}}) << most
        << QStringList() << "collection.anki2: the collection cannot be read";
    QTest::newRow("not_sqlite") << makeZip(dir + "text.apkg", {{"collection.anki21", "hello"}})
                                << most << QStringList() << "not an SQLite database";
    QTest::newRow("zstd_garbage")
        << makeZip(dir + "garbage.colpkg", {{"collection.anki21b", collection.left(200)}})
        << most << QStringList() << "compressed collection is damaged";
    QTest::newRow("zstd_cut")
        << makeZip(dir + "half.colpkg", {{"collection.anki21b", compressed.left(1000)}}) << most
        << QStringList() << "compressed collection ends early";
    QTest::newRow("over_the_cap") << sample("hsk-basic.apkg") << qint64(40000) << QStringList()
                                  << "larger than 40000 bytes";
    QTest::newRow("zstd_over_the_cap") << sample("hsk-fields.colpkg") << qint64(4096) << QStringList()
                                       << "larger than 4096 bytes";
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
    QCOMPARE(summary(package), expected);
    if (QFile::exists(path)) {
        const Groups::AnkiPackage fromBytes = Groups::readAnkiPackage(readAll(path), most);
        QCOMPARE(fromBytes.error, package.error);
        QCOMPARE(summary(fromBytes), expected);
    }
    QCOMPARE(QDir::temp().entryList(QDir::Dirs), folders); // the unpacked copies removed
}

QTEST_GUILESS_MAIN(TestGroupsPackage)
#include "tst_groupspackage.moc"

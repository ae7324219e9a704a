// Prints what wordmoor-groups costs on 30,000 words, each beside the drill's own load of
// the same words measured in the same run. Not a test: figures vary with the machine.
// Needs no display; scripts/bench.sh runs it after the drill's benchmark.

#include "bench/measure.h"
#include "drillcore/wordfile.h"
#include "groups/checker.h"
#include "groups/importer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

constexpr int kWords = 30000;
constexpr int kRuns = 11;

Bench::Figure measure(const std::function<double()> &once)
{
    return Bench::measure(kRuns, once);
}

using Bench::Figure;
using Bench::print;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

double msSince(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QByteArray csv = "Chinese,English\r\n";
    QList<WordFile::Entry> entries;
    for (int i = 1; i <= kWords; ++i) {
        const QString word = QStringLiteral("词语%1").arg(i);
        const QString line = QStringLiteral("meaning %1; sense %1; use %1").arg(i);
        csv += word.toUtf8() + ",\"" + line.toUtf8() + "\"\r\n";
        entries.append({word, line});
    }
    const QString csvPath = dir.filePath(QStringLiteral("words.csv"));
    writeFile(csvPath, csv);
    const QString folder = dir.filePath(QStringLiteral("one/"));
    const QString groupPath = WordFile::groupPath(folder, 1);
    writeFile(groupPath, Groups::groupFileBytes(entries));

    // The floor is measured again beside each figure: on a shared machine one measurement
    // early in the run may not hold for a later one.
    const auto drillLoad = [&] {
        return measure([&] {
            QElapsedTimer clock;
            clock.start();
            const WordFile::Group group = WordFile::loadGroup(groupPath);
            return group.entries.size() == kWords ? msSince(clock) : -1.0;
        });
    };
    int run = 0;
    const auto importInto = [&](int size) {
        Groups::ImportRequest request;
        request.folder = dir.filePath(QStringLiteral("import%1/").arg(++run));
        request.groupSize = size;
        request.files = {csvPath};
        QElapsedTimer clock;
        clock.start();
        const Groups::ImportReport report = Groups::importFiles(request);
        const double took = msSince(clock);
        QDir(request.folder).removeRecursively();
        return report.status == Groups::kSuccess ? took : -1.0;
    };
    print("import a 30,000-entry CSV into 600 groups", measure([&] { return importInto(50); }),
          "drill's load", drillLoad());
    // What 600 group files cost by themselves: written plainly, with no care for tearing.
    const Figure plainWrites = measure([&] {
        const QString plain = dir.filePath(QStringLiteral("plain%1/ciku/").arg(++run));
        QDir().mkpath(plain);
        const QByteArray bytes = Groups::groupFileBytes(entries.mid(0, 50));
        QElapsedTimer clock;
        clock.start();
        for (int n = 1; n <= kWords / 50; ++n) {
            QFile file(plain + QStringLiteral("ci%1.txt").arg(n));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                return -1.0;
            }
        }
        const double took = msSince(clock);
        QDir(plain).removeRecursively();
        return took;
    });
    std::printf("(600 files of 50 words written plainly: median %.2f ms)\n", plainWrites.median);
    print("import it into one group", measure([&] { return importInto(kWords); }), "drill's load",
          drillLoad());
    const Figure check = measure([&] {
        QElapsedTimer clock;
        clock.start();
        const Groups::GroupCheck result = Groups::checkGroup(groupPath, 1);
        return result.words == kWords && result.diagnostics.isEmpty() ? msSince(clock) : -1.0;
    });
    print("check a 30,000-word group", check, "drill's load", drillLoad());
    return 0;
}

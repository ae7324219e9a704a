#include "groups/collection.h"

#include "startup/startup.h"

#include <QDir>
#include <QFileInfo>

namespace Groups
{

QString formatDiagnostic(const Diagnostic &diagnostic)
{
    return QStringLiteral("%1:%2: %3: %4")
        .arg(diagnostic.path, QString::number(diagnostic.line),
             diagnostic.severity == Severity::Error ? QStringLiteral("error")
                                                    : QStringLiteral("warning"),
             diagnostic.text);
}

int countOf(const QList<Diagnostic> &diagnostics, Severity severity)
{
    return static_cast<int>(
        std::count_if(diagnostics.begin(), diagnostics.end(),
                      [severity](const Diagnostic &d) { return d.severity == severity; }));
}

QString folderPath(const QString &folder)
{
    if (folder.isEmpty()) {
        return QStringLiteral("./");
    }
    const QString clean = QDir::cleanPath(folder);
    return clean.endsWith(QLatin1Char('/')) ? clean : clean + QLatin1Char('/');
}

FolderLookup learnersFolder()
{
    FolderLookup lookup;
    lookup.ini = Startup::iniPath(Startup::configDirectory());
    if (!QFileInfo::exists(lookup.ini)) {
        lookup.fail(QStringLiteral("no FOLDER given, and there is no %1 to name the learner's "
                                   "collection (Wordmoor writes it at its first start)")
                        .arg(lookup.ini));
        return lookup;
    }
    lookup.folder = folderPath(Startup::installPathFromIni(lookup.ini));
    lookup.succeed();
    return lookup;
}

FolderLookup existingFolder(const QString &given)
{
    FolderLookup lookup;
    if (given.isNull()) {
        lookup = learnersFolder();
    } else {
        lookup.folder = folderPath(given);
        lookup.succeed();
    }
    if (lookup.ok && !QFileInfo(lookup.folder).isDir()) {
        // Without InstallPath, the INI look-up gives the drill's fallback "empty/".
        lookup.fail(lookup.ini.isEmpty()
                        ? QStringLiteral("%1: no such folder").arg(lookup.folder)
                        : QStringLiteral("%1: no such folder (the collection folder as %2 "
                                         "names it)")
                              .arg(lookup.folder, lookup.ini));
        lookup.folder.clear();
    }
    return lookup;
}

bool hasHan(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t code = text[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (QChar::script(code) == QChar::Script_Han) {
            return true;
        }
    }
    return false;
}

} // namespace Groups

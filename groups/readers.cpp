#include "groups/readers.h"

#include "base/files.h"
#include "groups/ankipackage.h"
#include "groups/tabletext.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <iterator>

namespace Groups
{

namespace
{

const char *const kFormatNames[] = {"kvtml", "anki", "csv", "wordmoor", "apkg"};

Diagnostic note(int line, Severity severity, const QString &text)
{
    return Diagnostic{QString(), line, severity, text};
}

Source failed(int line, const QString &text)
{
    Source source;
    source.ok = false;
    source.notes.append(note(line, Severity::Error, text));
    return source;
}

// The first line's first separator outside quotes: a tab wherever it stands, else the
// comma or semicolon that comes first (a word holds neither, renderings may hold both).
QChar guessSeparator(QStringView text)
{
    bool quoted = false;
    QChar found;
    for (QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) {
            if (!found.isNull()) {
                break;
            }
        } else if (!quoted && c == QLatin1Char('\t')) {
            return c;
        } else if (!quoted && found.isNull() && (c == QLatin1Char(',') || c == QLatin1Char(';'))) {
            found = c;
        }
    }
    return found.isNull() ? QLatin1Char(',') : found;
}

void addUnclosedQuote(Source &source, const Table &table)
{
    if (table.unclosedQuoteLine != 0) {
        source.notes.append(note(table.unclosedQuoteLine, Severity::Warning,
                                 QStringLiteral("a quote opens here and never closes; the "
                                                "rest of the file is one field")));
    }
}

Source readKvtml(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    QStringList path;                           // names of the open elements
    QList<std::pair<QString, QString>> locales; // identifier -> locale, in file order
    QString identifier;
    QStringList entryIds;
    QHash<QString, int> entryLines;
    QHash<QString, QHash<QString, QString>> texts; // entry id -> translation id -> text
    QString entry;
    QString translation;
    QStringList lessonOrder;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::EndElement) {
            path.removeLast();
            continue;
        }
        if (!xml.isStartElement()) {
            continue;
        }
        const QString name = xml.name().toString();
        const QString parent = path.value(path.size() - 1);
        const QString id = xml.attributes().value(QLatin1String("id")).toString();
        if (path.isEmpty() && name != QLatin1String("kvtml")) {
            return failed(static_cast<int>(xml.lineNumber()),
                          QStringLiteral("not a KVTML document (it begins with <%1>)").arg(name));
        }
        if (path.isEmpty() &&
            xml.attributes().value(QLatin1String("version")).startsWith(QLatin1Char('1'))) {
            return failed(static_cast<int>(xml.lineNumber()),
                          QStringLiteral("KVTML 1 is not read; save the file again as KVTML 2"));
        }
        if (name == QLatin1String("identifier") && parent == QLatin1String("identifiers")) {
            identifier = id;
        } else if (name == QLatin1String("locale") && parent == QLatin1String("identifier")) {
            locales.append({identifier, xml.readElementText().trimmed()});
            continue; // the reader is past its end element
        } else if (name == QLatin1String("entry") && parent == QLatin1String("entries")) {
            entry = id;
            if (!entryLines.contains(id)) {
                entryIds.append(id);
                entryLines.insert(id, static_cast<int>(xml.lineNumber()));
            }
        } else if (name == QLatin1String("translation") && parent == QLatin1String("entry") &&
                   path.value(path.size() - 2) == QLatin1String("entries")) {
            translation = id;
        } else if (name == QLatin1String("text") && parent == QLatin1String("translation") &&
                   path.value(path.size() - 3) == QLatin1String("entries")) {
            texts[entry].insert(translation,
                                xml.readElementText(QXmlStreamReader::SkipChildElements));
            continue;
        } else if (name == QLatin1String("entry") && path.contains(QLatin1String("lessons"))) {
            lessonOrder.append(id);
        }
        path.append(name);
    }
    if (xml.hasError()) {
        return failed(static_cast<int>(xml.lineNumber()),
                      QStringLiteral("not well-formed XML: %1").arg(xml.errorString()));
    }
    // The word is the Chinese translation and the renderings the English one; without
    // locales, the first and second.
    const auto byLocale = [&](const char *prefix, const QString &fallback) {
        for (const auto &[id, locale] : locales) {
            if (locale.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) {
                return id;
            }
        }
        return fallback;
    };
    const QString wordId = byLocale("zh", QStringLiteral("0"));
    QString renderingsId = byLocale("en", QStringLiteral("1"));
    if (renderingsId == wordId) {
        renderingsId = wordId == QLatin1String("0") ? QStringLiteral("1") : QStringLiteral("0");
    }
    // Lesson order first; entries in no lesson follow in file order.
    QStringList order;
    QSet<QString> taken;
    for (const QString &id : lessonOrder + entryIds) {
        if (entryLines.contains(id) && !taken.contains(id)) {
            order.append(id);
            taken.insert(id);
        }
    }
    Source source;
    for (const QString &id : order) {
        source.entries.append(
            {texts[id].value(wordId), texts[id].value(renderingsId), entryLines.value(id)});
    }
    return source;
}

QChar namedSeparator(const QString &value)
{
    static const QHash<QString, QChar> names{{QStringLiteral("comma"), QLatin1Char(',')},
                                             {QStringLiteral("semicolon"), QLatin1Char(';')},
                                             {QStringLiteral("tab"), QLatin1Char('\t')},
                                             {QStringLiteral("space"), QLatin1Char(' ')},
                                             {QStringLiteral("pipe"), QLatin1Char('|')},
                                             {QStringLiteral("colon"), QLatin1Char(':')}};
    if (value.size() == 1) {
        return value[0];
    }
    return names.value(value.toLower());
}

Source readAnki(const QString &text)
{
    // Header lines open the file, one "#key:value" each.
    qsizetype offset = 0;
    int line = 1;
    QChar separator;
    bool html = false;
    QSet<int> otherColumns; // guid, notetype, deck and tags are no fields of the note
    while (offset < text.size() && text[offset] == QLatin1Char('#')) {
        qsizetype end = offset;
        while (end < text.size() && text[end] != QLatin1Char('\n') &&
               text[end] != QLatin1Char('\r')) {
            ++end;
        }
        const QString header = text.mid(offset + 1, end - offset - 1);
        const qsizetype colon = header.indexOf(QLatin1Char(':'));
        const QString key = header.left(colon).trimmed().toLower();
        const QString value = colon < 0 ? QString() : header.mid(colon + 1);
        if (key == QLatin1String("separator")) {
            separator = namedSeparator(value.trimmed().isEmpty() ? value : value.trimmed());
            if (separator.isNull()) {
                return failed(line, QStringLiteral("unknown separator '%1'").arg(value));
            }
        } else if (key == QLatin1String("html")) {
            html = value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        } else if (key.endsWith(QLatin1String(" column"))) {
            otherColumns.insert(value.trimmed().toInt());
        }
        offset = end;
        if (offset < text.size() && text[offset] == QLatin1Char('\r')) {
            ++offset;
        }
        if (offset < text.size() && text[offset] == QLatin1Char('\n')) {
            ++offset;
        }
        ++line;
    }
    const QStringView body = QStringView(text).mid(offset);
    const Table table =
        readTable(body, separator.isNull() ? guessSeparator(body) : separator, line, true);
    Source source;
    addUnclosedQuote(source, table);
    for (const Record &record : table.records) {
        QStringList fields;
        for (qsizetype c = 0; c < record.fields.size(); ++c) {
            if (!otherColumns.contains(static_cast<int>(c) + 1)) {
                fields.append(html ? htmlToText(record.fields[c]) : record.fields[c]);
            }
        }
        source.entries.append({fields.value(0), fields.value(1), record.line});
    }
    return source;
}

Source readCsv(const QString &text)
{
    // A spreadsheet may name its separator on a first line of its own, "sep=;".
    static const QRegularExpression sepLine(QStringLiteral("^sep=(.)\\r?(\\n|$)"));
    const QRegularExpressionMatch match = sepLine.match(text);
    const QStringView body = QStringView(text).mid(match.hasMatch() ? match.capturedEnd() : 0);
    const QChar separator = match.hasMatch() ? match.captured(1)[0] : guessSeparator(body);
    Table table = readTable(body, separator, match.hasMatch() ? 2 : 1);
    // A heading names the columns: no Chinese in its word cell, where the rows below have.
    if (table.records.size() >= 2 && !hasHan(table.records[0].fields[0])) {
        const qsizetype chinese =
            std::count_if(table.records.begin() + 1, table.records.end(),
                          [](const Record &r) { return hasHan(r.fields[0]); });
        if (2 * chinese > table.records.size() - 1) {
            table.records.removeFirst();
        }
    }
    Source source;
    addUnclosedQuote(source, table);
    for (const Record &record : table.records) {
        source.entries.append({record.fields[0], record.fields.value(1), record.line});
    }
    return source;
}

Source readWordFile(const QByteArray &bytes)
{
    const QStringList lines = Files::decodeLines(bytes);
    Source source;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        // A last line left alone is a word without renderings, unless it is blank.
        if (i + 1 < lines.size() || !lines[i].trimmed().isEmpty()) {
            source.entries.append({lines[i], lines.value(i + 1), static_cast<int>(i + 1)});
        }
    }
    return source;
}

bool looksLikeWordFile(const QByteArray &head)
{
    QStringList lines = Files::decodeLines(head);
    lines.removeLast(); // may be cut short
    if (lines.size() < 2) {
        return false;
    }
    for (qsizetype i = 0; i + 1 < lines.size() && i < 80; i += 2) {
        if (!hasHan(lines[i]) || hasHan(lines[i + 1]) ||
            lines[i + 1].contains(QLatin1Char('\t'))) {
            return false;
        }
    }
    return true;
}

} // namespace

QString formatName(Format format)
{
    return QLatin1String(kFormatNames[static_cast<int>(format)]);
}

bool parseFormat(const QString &name, Format *format)
{
    for (int f = 0; f < int(std::size(kFormatNames)); ++f) {
        if (name.compare(QLatin1String(kFormatNames[f]), Qt::CaseInsensitive) == 0) {
            *format = static_cast<Format>(f);
            return true;
        }
    }
    return false;
}

Format detectFormat(const QByteArray &bytes, const QString &fileName)
{
    if (looksLikeZip(bytes)) {
        return Format::AnkiPackage;
    }
    const QByteArray head = bytes.left(16384);
    const QString text = Files::decodeText(head);
    const QString start = text.trimmed();
    static const QRegularExpression ankiHeader(QStringLiteral("^#[A-Za-z ]+:"));
    static const QRegularExpression groupName(QStringLiteral("^ci[0-9]+\\.txt$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (start.startsWith(QLatin1String("<?xml")) || start.startsWith(QLatin1String("<kvtml")) ||
        text.contains(QLatin1String("<kvtml"))) {
        return Format::Kvtml;
    }
    if (ankiHeader.match(text).hasMatch()) {
        return Format::Anki;
    }
    if (suffix == QLatin1String("kvtml")) {
        return Format::Kvtml;
    }
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("tsv")) {
        return Format::Csv;
    }
    if (groupName.match(QFileInfo(fileName).fileName()).hasMatch() ||
        looksLikeWordFile(head.size() < bytes.size() ? head : head + '\n')) {
        return Format::WordFile;
    }
    return Format::Csv;
}

Source readSource(const QByteArray &bytes, Format format)
{
    switch (format) {
    case Format::Kvtml:
        return readKvtml(bytes);
    case Format::Anki:
        return readAnki(Files::decodeText(bytes));
    case Format::Csv:
        return readCsv(Files::decodeText(bytes));
    case Format::WordFile:
        return readWordFile(bytes);
    case Format::AnkiPackage:
        return packageSource(readAnkiPackage(bytes));
    }
    return Source();
}

QString htmlToText(const QString &html)
{
    static const QSet<QString> breaks{QStringLiteral("br"), QStringLiteral("div"),
                                      QStringLiteral("p"), QStringLiteral("li")};
    static const QHash<QString, QString> entities{{QStringLiteral("amp"), QStringLiteral("&")},
                                                  {QStringLiteral("lt"), QStringLiteral("<")},
                                                  {QStringLiteral("gt"), QStringLiteral(">")},
                                                  {QStringLiteral("quot"), QStringLiteral("\"")},
                                                  {QStringLiteral("apos"), QStringLiteral("'")},
                                                  {QStringLiteral("nbsp"), QStringLiteral(" ")}};
    QString text;
    const qsizetype n = html.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = html[i];
        if (c == QLatin1Char('<')) {
            const qsizetype end = html.indexOf(QLatin1Char('>'), i);
            if (end > i) {
                qsizetype from = i + 1;
                from += from < end && html[from] == QLatin1Char('/') ? 1 : 0;
                qsizetype to = from;
                while (to < end && html[to].isLetterOrNumber()) {
                    ++to;
                }
                if (breaks.contains(html.mid(from, to - from).toLower())) {
                    text += QLatin1Char('\n');
                }
                i = end;
                continue;
            }
        } else if (c == QLatin1Char('&')) {
            const qsizetype end = html.indexOf(QLatin1Char(';'), i);
            if (end > i + 1 && end - i <= 10) {
                const QString name = html.mid(i + 1, end - i - 1);
                bool ok = false;
                const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                                      ? name.mid(2).toUInt(&ok, 16)
                                  : name.startsWith(QLatin1Char('#')) ? name.mid(1).toUInt(&ok, 10)
                                                                      : 0;
                if (ok && code > 0 && code <= 0x10FFFF && !QChar::isSurrogate(code)) {
                    text += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
                    i = end;
                    continue;
                }
                if (entities.contains(name)) {
                    text += entities.value(name);
                    i = end;
                    continue;
                }
            }
        }
        text += c;
    }
    return text;
}

} // namespace Groups

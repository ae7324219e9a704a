#include "groups/readers.h"

#include "base/files.h"
#include "groups/ankipackage.h"
#include "groups/columns.h"
#include "groups/kvtml.h"
#include "groups/meanings.h"
#include "groups/tabletext.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <iterator>

namespace Groups
{

namespace
{

const char *const kFormatNames[] = {"kvtml", "anki", "csv", "wordmoor", "pleco", "apkg"};

Diagnostic note(int line, Severity severity, const QString &text)
{
    return Diagnostic{QString(), line, severity, text};
}

Source failed(int line, const QString &text)
{
    Source source;
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

struct Headers {
    QChar separator;
    bool html = false;
    bool htmlGiven = false;
    QSet<int> metaColumns; // guid, notetype, deck and tags: no fields of the note
    QStringList names;     // "#columns:" names the fields
    qsizetype offset = 0;  // where the table starts
    int line = 1;
    QString error;
};

// Anki's header lines ("#separator:tab", "#html:true", "#tags column:3", ...) open the
// file; a spreadsheet may name its separator on a first line of its own, "sep=;".
Headers readHeaders(const QString &text)
{
    static const QRegularExpression sepLine(QStringLiteral("^sep=(.)\\r?(\\n|$)"));
    static const QRegularExpression header(QStringLiteral("^#([A-Za-z ]+):(.*)$"));
    Headers headers;
    const QRegularExpressionMatch sep = sepLine.match(text);
    if (sep.hasMatch()) {
        headers.separator = sep.captured(1)[0];
        headers.offset = sep.capturedEnd();
        headers.line = 2;
    }
    while (headers.offset < text.size() && text[headers.offset] == QLatin1Char('#')) {
        qsizetype end = headers.offset;
        while (end < text.size() && text[end] != QLatin1Char('\n') &&
               text[end] != QLatin1Char('\r')) {
            ++end;
        }
        const QRegularExpressionMatch m =
            header.match(text.mid(headers.offset, end - headers.offset));
        if (!m.hasMatch()) {
            break; // a comment line, which the table reader skips
        }
        const QString key = m.captured(1).trimmed().toLower();
        const QString value = m.captured(2);
        if (key == QLatin1String("separator")) {
            headers.separator =
                namedSeparator(value.trimmed().isEmpty() ? value : value.trimmed());
            if (headers.separator.isNull()) {
                headers.error = QStringLiteral("unknown separator '%1'").arg(value);
            }
        } else if (key == QLatin1String("html")) {
            headers.htmlGiven = true;
            headers.html =
                value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        } else if (key.endsWith(QLatin1String(" column"))) {
            headers.metaColumns.insert(value.trimmed().toInt());
        } else if (key == QLatin1String("columns")) {
            headers.names =
                value.split(headers.separator.isNull() ? QLatin1Char('\t') : headers.separator);
        }
        headers.offset = end;
        if (headers.offset < text.size() && text[headers.offset] == QLatin1Char('\r')) {
            ++headers.offset;
        }
        if (headers.offset < text.size() && text[headers.offset] == QLatin1Char('\n')) {
            ++headers.offset;
        }
        ++headers.line;
    }
    return headers;
}

bool looksLikeHtml(const QString &field)
{
    static const QRegularExpression tag(
        QStringLiteral("</?(?:div|span|br|li|ul|ol|p|b|i|u|font|em|strong|sup|sub)\\b[^<>]*>|"
                       "&(?:nbsp|amp|lt|gt|quot|#[0-9]+|#x[0-9a-fA-F]+);"),
        QRegularExpression::CaseInsensitiveOption);
    return field.contains(QLatin1Char('<')) || field.contains(QLatin1Char('&'))
               ? tag.match(field).hasMatch()
               : false;
}

// The number of fields most lines have; ties go to the wider.
qsizetype usualWidth(const Table &table)
{
    QHash<qsizetype, int> counts;
    qsizetype width = 0;
    for (const Record &record : table.records) {
        const int count = ++counts[record.fields.size()];
        const int best = counts.value(width);
        if (count > best || (count == best && record.fields.size() > width)) {
            width = record.fields.size();
        }
    }
    return width;
}

// CSV, TSV and Anki's plain text alike: the columns are chosen from their content.
Source readTableText(const QString &text, const ReadOptions &options)
{
    const Headers headers = readHeaders(text);
    if (!headers.error.isEmpty()) {
        return failed(headers.line, headers.error);
    }
    const QStringView body = QStringView(text).mid(headers.offset);
    const Table table =
        readTable(body, headers.separator.isNull() ? guessSeparator(body) : headers.separator,
                  headers.line, true);
    Source source;
    addUnclosedQuote(source, table);
    const qsizetype width = usualWidth(table);
    QList<int> lines;
    QList<QStringList> rows;
    for (const Record &record : table.records) {
        if (record.fields.size() != width) {
            source.notes.append(note(record.line, Severity::Warning,
                                     QStringLiteral("skipped: %1 fields where the file's lines "
                                                    "have %2")
                                         .arg(record.fields.size())
                                         .arg(width)));
            continue;
        }
        QStringList row;
        for (qsizetype c = 0; c < width; ++c) {
            const QString &field = record.fields[c];
            const bool html = headers.htmlGiven ? headers.html : looksLikeHtml(field);
            row << (headers.metaColumns.contains(static_cast<int>(c) + 1) ? QString()
                    : html                                                ? htmlToText(field)
                                                                          : field);
        }
        rows << row;
        lines << record.line;
    }
    QList<int> meta;
    for (int column : headers.metaColumns) {
        meta << column - 1;
    }
    Source fields = readFields(headers.names, rows, lines, options, meta);
    fields.notes = source.notes + fields.notes;
    return fields;
}

// Pleco's flashcard export: "简体[繁體]<TAB>pinyin<TAB>definition" lines under "//Category"
// lines, which become groups of their own.
Source readPleco(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
    const QStringList lines = text.split(lineEnd);
    Source source;
    source.columns = QStringLiteral("the headword before its brackets as the words and the "
                                    "definition as the meanings; each category a group");
    QString group;
    QStringList definitions;
    QList<QStringList> cards;
    QList<int> cardLines;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i];
        if (line.startsWith(QLatin1String("//"))) {
            group = line.mid(2).trimmed();
            continue;
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        QStringList fields = line.split(QLatin1Char('\t'));
        const qsizetype bracket = fields[0].indexOf(QLatin1Char('['));
        const QString word = (bracket > 0 ? fields[0].left(bracket) : fields[0]).trimmed();
        const QString definition = fields.mid(2).join(QLatin1Char(' '));
        cards << QStringList{word, fields.value(1), definition, group, fields[0]};
        cardLines << static_cast<int>(i + 1);
        definitions << definition;
    }
    const SenseSplit split = senseSplitOf(definitions);
    for (qsizetype c = 0; c < cards.size(); ++c) {
        const QStringList &card = cards[c];
        source.entries.append(
            {card[0],
             meaningsOf(card[2], false, split, {card[1], card[0]}).join(QLatin1Char('\n')),
             cardLines[c], card[3]});
    }
    source.ok = true;
    return source;
}

bool looksLikePleco(const QString &head)
{
    static const QRegularExpression card(QStringLiteral("^[^\\t\\[\\]]+\\[[^\\t\\]]+\\]\\t"));
    int lines = 0;
    int cards = 0;
    for (const QString &line : head.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty()) {
            continue;
        }
        if (lines == 0 && line.startsWith(QLatin1String("//"))) {
            return true;
        }
        cards += card.match(line).hasMatch() ? 1 : 0;
        if (++lines == 20) {
            break;
        }
    }
    return lines > 0 && 2 * cards > lines;
}

Source readWordFile(const QByteArray &bytes)
{
    const QStringList lines = Files::decodeLines(bytes);
    Source source;
    source.columns = QStringLiteral("each word line with the renderings line after it");
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        // A last line left alone is a word without renderings, unless it is blank.
        if (i + 1 < lines.size() || !lines[i].trimmed().isEmpty()) {
            source.entries.append(
                {lines[i], lines.value(i + 1), static_cast<int>(i + 1), QString()});
        }
    }
    source.ok = true;
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
    const QString text = decodeImported(head);
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
    if (looksLikePleco(text)) {
        return Format::Pleco;
    }
    if (suffix == QLatin1String("kvtml")) {
        return Format::Kvtml;
    }
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("tsv")) {
        return Format::Csv;
    }
    // The drill reads no UTF-16, so such a file is a list of another program's.
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (groupName.match(QFileInfo(fileName).fileName()).hasMatch() ||
        (!utf16 && looksLikeWordFile(head.size() < bytes.size() ? head : head + '\n'))) {
        return Format::WordFile;
    }
    return Format::Csv;
}

Source readFields(const QStringList &heading, const QList<QStringList> &rows,
                  const QList<int> &lines, const ReadOptions &options, const QList<int> &meta)
{
    ColumnChoice choice = chooseColumns(heading, rows, options.wordColumn, options.meaningColumn);
    for (int column : meta) {
        if (column >= 0 && column < choice.kinds.size()) {
            choice.kinds[column] = ColumnKind::Tag;
        }
    }
    if (!choice.error.isEmpty()) {
        return failed(lines.value(0, 1), choice.error);
    }
    Source source;
    source.columns =
        describeChoice(choice) + (choice.guess.isEmpty()
                                      ? QString()
                                      : QStringLiteral(" (") + choice.guess + QLatin1Char(')'));
    const qsizetype first = choice.headingRow ? 1 : 0;
    QStringList meaningFields;
    for (qsizetype r = first; r < rows.size(); ++r) {
        meaningFields << rows[r].value(choice.meaning);
    }
    const SenseSplit split = senseSplitOf(meaningFields);
    for (qsizetype r = first; r < rows.size(); ++r) {
        QStringList echoes; // what the meanings may repeat: the row's Chinese and pinyin
        for (int c = 0; c < choice.kinds.size(); ++c) {
            const ColumnKind kind = choice.kinds[c];
            if (c != choice.meaning &&
                (kind == ColumnKind::Pinyin || kind == ColumnKind::Zhuyin ||
                 kind == ColumnKind::Simplified || kind == ColumnKind::Traditional ||
                 kind == ColumnKind::Chinese)) {
                echoes << rows[r].value(c);
            }
        }
        source.entries.append({rows[r].value(choice.word).trimmed(),
                               meaningsOf(rows[r].value(choice.meaning), false, split, echoes)
                                   .join(QLatin1Char('\n')),
                               lines.value(r, static_cast<int>(r) + 1), QString()});
    }
    source.ok = true;
    return source;
}

QString decodeImported(const QByteArray &bytes)
{
    const bool little = bytes.startsWith("\xFF\xFE");
    if (!little && !bytes.startsWith("\xFE\xFF")) {
        return Files::decodeText(bytes);
    }
    QString text = QStringDecoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE)
                       .decode(QByteArrayView(bytes).sliced(2));
    // The decoder lets a surrogate without its pair through; no file can hold one.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
    return text;
}

Source readSource(const QByteArray &bytes, Format format, const ReadOptions &options)
{
    switch (format) {
    case Format::Kvtml:
        return readKvtml(bytes);
    case Format::Anki:
    case Format::Csv:
        return readTableText(decodeImported(bytes), options);
    case Format::WordFile:
        return readWordFile(bytes);
    case Format::Pleco:
        return readPleco(decodeImported(bytes));
    case Format::AnkiPackage:
        return packageSource(readAnkiPackage(bytes), options);
    }
    return Source();
}

} // namespace Groups

#include "groups/tabletext.h"

namespace Groups
{

Table readTable(QStringView text, QChar separator, int firstLine, bool commentLines)
{
    Table table;
    const qsizetype n = text.size();
    int line = firstLine;
    qsizetype i = 0;
    // Steps over the line end at i (CR LF, CR or LF), if there is one.
    const auto skipLineEnd = [&] {
        if (i < n && text[i] == QLatin1Char('\r')) {
            ++i;
            if (i < n && text[i] == QLatin1Char('\n')) {
                ++i;
            }
            ++line;
            return true;
        }
        if (i < n && text[i] == QLatin1Char('\n')) {
            ++i;
            ++line;
            return true;
        }
        return false;
    };
    while (i < n) {
        if (skipLineEnd()) {
            continue; // a blank line
        }
        if (commentLines && text[i] == QLatin1Char('#')) {
            while (i < n && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) {
                ++i;
            }
            continue;
        }
        Record record;
        record.line = line;
        QString field;
        while (true) {
            if (i < n && text[i] == QLatin1Char('"')) {
                const int quoteLine = line;
                ++i;
                bool closed = false;
                while (i < n) {
                    if (text[i] == QLatin1Char('"')) {
                        if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (skipLineEnd()) {
                        field += QLatin1Char('\n');
                        continue;
                    }
                    // The run up to the next quote or line end, in one piece.
                    const qsizetype from = i;
                    while (i < n && text[i] != QLatin1Char('"') && text[i] != QLatin1Char('\r') &&
                           text[i] != QLatin1Char('\n')) {
                        ++i;
                    }
                    field += text.mid(from, i - from);
                }
                if (!closed && table.unclosedQuoteLine == 0) {
                    table.unclosedQuoteLine = quoteLine;
                }
            }
            // Unquoted text, or what follows a closing quote (kept, as spreadsheets do).
            const qsizetype from = i;
            while (i < n && text[i] != separator && text[i] != QLatin1Char('\r') &&
                   text[i] != QLatin1Char('\n')) {
                ++i;
            }
            field += text.mid(from, i - from);
            record.fields.append(field);
            field.clear();
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            skipLineEnd();
            break;
        }
        table.records.append(record);
    }
    return table;
}

QString quoteField(const QString &field, QChar separator)
{
    const bool needsQuotes = field.contains(separator) || field.contains(QLatin1Char('"')) ||
                             field.contains(QLatin1Char('\r')) ||
                             field.contains(QLatin1Char('\n')) ||
                             field.startsWith(QLatin1Char('#'));
    if (!needsQuotes) {
        return field;
    }
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace Groups

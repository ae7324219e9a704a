#include "groups/kvtml.h"

#include "groups/collection.h"
#include "groups/meanings.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

namespace Groups
{

namespace
{

struct Side {
    QString id;
    QString name;
    QString locale;
};

struct Document {
    QList<Side> sides;
    QStringList entryIds; // in file order
    QHash<QString, int> entryLines;
    QHash<QString, QHash<QString, QString>> texts; // entry id -> side id -> text
    QStringList lessonOrder;
    QString error;
    int errorLine = 0;
};

Side *sideOf(Document &doc, const QString &id)
{
    for (Side &side : doc.sides) {
        if (side.id == id) {
            return &side;
        }
    }
    doc.sides.append({id, QString(), QString()});
    return &doc.sides.last();
}

// Version 2: <identifiers>, <entries><entry><translation><text>, <lessons>. Text in
// <conjugation>, <comparison> and the like lies deeper than <translation><text> and is
// not taken.
void readVersion2(QXmlStreamReader &xml, Document &doc)
{
    QStringList path{QStringLiteral("kvtml")};
    QString identifier;
    QString entry;
    QString translation;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::EndElement) {
            path.removeLast();
            continue;
        }
        if (!xml.isStartElement()) {
            continue;
        }
        const QString name = xml.name().toString();
        const QString parent = path.last();
        const QString id = xml.attributes().value(QLatin1String("id")).toString();
        if (name == QLatin1String("identifier") && parent == QLatin1String("identifiers")) {
            identifier = id;
            sideOf(doc, id);
        } else if ((name == QLatin1String("locale") || name == QLatin1String("name")) &&
                   parent == QLatin1String("identifier")) {
            Side *side = sideOf(doc, identifier);
            (name == QLatin1String("locale") ? side->locale : side->name) =
                xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            continue; // the reader is past its end element
        } else if (name == QLatin1String("entry") && parent == QLatin1String("entries")) {
            entry = id;
            if (!doc.entryLines.contains(id)) {
                doc.entryIds.append(id);
                doc.entryLines.insert(id, static_cast<int>(xml.lineNumber()));
            }
        } else if (name == QLatin1String("translation") && parent == QLatin1String("entry") &&
                   path.value(path.size() - 2) == QLatin1String("entries")) {
            translation = id;
            sideOf(doc, id);
        } else if (name == QLatin1String("text") && parent == QLatin1String("translation") &&
                   path.value(path.size() - 3) == QLatin1String("entries")) {
            doc.texts[entry].insert(translation,
                                    xml.readElementText(QXmlStreamReader::SkipChildElements));
            continue;
        } else if (name == QLatin1String("entry") && path.contains(QLatin1String("lessons"))) {
            doc.lessonOrder.append(id);
        }
        path.append(name);
    }
}

// Version 1: <e><o l="de">original</o><t l="en">translation</t>...</e>, the language
// given on the first entry that names it. Conjugations and comparisons nest inside <o>
// and <t> beside their own text.
void readVersion1(QXmlStreamReader &xml, Document &doc)
{
    int depth = 1;
    int column = 0;
    QString entry;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        const QString name = xml.name().toString();
        if (depth == 1 && name == QLatin1String("e")) {
            entry = QString::number(doc.entryIds.size());
            doc.entryIds.append(entry);
            doc.entryLines.insert(entry, static_cast<int>(xml.lineNumber()));
            column = 0;
        } else if (depth == 2 && (name == QLatin1String("o") || name == QLatin1String("t"))) {
            const QString id = QString::number(name == QLatin1String("o") ? 0 : ++column);
            Side *side = sideOf(doc, id);
            const QString language = xml.attributes().value(QLatin1String("l")).toString();
            if (side->locale.isEmpty()) {
                side->locale = language;
            }
            doc.texts[entry].insert(id, xml.readElementText(QXmlStreamReader::SkipChildElements));
            continue;
        }
        ++depth;
    }
}

bool labelled(const Side &side, const QRegularExpression &locale, const QStringList &names)
{
    for (const QString &label : {side.locale, side.name}) {
        if (locale.match(label.trimmed()).hasMatch()) {
            return true;
        }
        for (const QString &name : names) {
            if (label.contains(name, Qt::CaseInsensitive)) {
                return true;
            }
        }
    }
    return false;
}

QString label(const Side &side)
{
    QStringList parts;
    for (const QString &part : {side.name, side.locale}) {
        if (!part.isEmpty() && !parts.contains(part)) {
            parts << part;
        }
    }
    return QStringLiteral("identifier %1 (%2)")
        .arg(side.id,
             parts.isEmpty() ? QStringLiteral("unnamed") : parts.join(QStringLiteral(", ")));
}

Source refused(const Document &doc, const QString &missing)
{
    QStringList sides;
    for (const Side &side : doc.sides) {
        sides << label(side);
    }
    Source source;
    source.notes.append({QString(), 1, Severity::Error,
                         QStringLiteral("no %1 side (%2); nothing imported from it")
                             .arg(missing, sides.isEmpty() ? QStringLiteral("no identifiers")
                                                           : sides.join(QStringLiteral(", ")))});
    return source;
}

} // namespace

Source readKvtml(const QByteArray &original)
{
    // KVocTrain wrote '<!doctype kvtml system "kvoctrain.dtd">', which XML does not
    // allow; nothing here needs the declaration, so it is blanked.
    QByteArray bytes = original;
    const qsizetype doctype = bytes.left(1024).toLower().indexOf("<!doctype");
    const qsizetype end = doctype < 0 ? -1 : bytes.indexOf('>', doctype);
    if (end > doctype && !bytes.mid(doctype, end - doctype).contains('[')) {
        bytes.replace(doctype, end + 1 - doctype, QByteArray(end + 1 - doctype, ' '));
    }
    // Its comments also end in "--" and a line break before the ">".
    for (qsizetype open = bytes.indexOf("<!--"); open >= 0;
         open = bytes.indexOf("<!--", open + 4)) {
        const qsizetype dashes = bytes.indexOf("--", open + 4);
        qsizetype close = dashes + 2;
        while (dashes >= 0 && close < bytes.size() &&
               (bytes[close] == '\n' || bytes[close] == '\r' || bytes[close] == ' ')) {
            ++close;
        }
        if (dashes < 0 || close >= bytes.size() || bytes[close] != '>') {
            break;
        }
        const QByteArray gap = bytes.mid(dashes + 2, close - dashes - 2);
        bytes.replace(dashes, close + 1 - dashes, "-->" + gap);
        open = close;
    }
    QXmlStreamReader xml(bytes);
    Document doc;
    while (!xml.atEnd() && !xml.isStartElement()) {
        xml.readNext();
    }
    Source source;
    if (xml.isStartElement() && xml.name() != QLatin1String("kvtml")) {
        source.notes.append({QString(), static_cast<int>(xml.lineNumber()), Severity::Error,
                             QStringLiteral("not a KVTML document (it begins with <%1>)")
                                 .arg(xml.name().toString())});
        return source;
    }
    if (xml.attributes().value(QLatin1String("version")).startsWith(QLatin1Char('2'))) {
        readVersion2(xml, doc);
    } else {
        readVersion1(xml, doc);
    }
    if (xml.hasError()) {
        source.notes.append({QString(), static_cast<int>(xml.lineNumber()), Severity::Error,
                             QStringLiteral("not well-formed XML: %1").arg(xml.errorString())});
        return source;
    }
    static const QRegularExpression chinese(QStringLiteral("^(zh|cmn|chi|zho)([-_].*)?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression english(QStringLiteral("^(en|eng)([-_].*)?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QStringList chineseNames{QStringLiteral("chinese"), QStringLiteral("mandarin"),
                                   QStringLiteral("中文"),    QStringLiteral("汉语"),
                                   QStringLiteral("漢語"),    QStringLiteral("普通话")};
    const QStringList englishNames{QStringLiteral("english"), QStringLiteral("英语"),
                                   QStringLiteral("英語"), QStringLiteral("英文")};
    const Side *word = nullptr;
    const Side *meaning = nullptr;
    for (const Side &side : doc.sides) {
        if (!word && labelled(side, chinese, chineseNames)) {
            word = &side;
        } else if (!meaning && labelled(side, english, englishNames)) {
            meaning = &side;
        }
    }
    // Unlabelled sides are told by their text: Chinese by its characters, English as the
    // only other side.
    const auto unlabelled = [](const Side &side) {
        return side.name.isEmpty() && side.locale.isEmpty();
    };
    for (const Side &side : doc.sides) {
        int han = 0;
        for (const QString &id : doc.entryIds) {
            han += hasHan(doc.texts[id].value(side.id)) ? 1 : 0;
        }
        if (!word && unlabelled(side) && 2 * han > doc.entryIds.size()) {
            word = &side;
        }
    }
    if (!meaning && word && doc.sides.size() == 2) {
        const Side &other = doc.sides[&doc.sides[0] == word ? 1 : 0];
        meaning = unlabelled(other) ? &other : nullptr;
    }
    if (!word) {
        return refused(doc, QStringLiteral("Chinese"));
    }
    if (!meaning) {
        return refused(doc, QStringLiteral("English"));
    }
    source.columns = QStringLiteral("%1 as the words and %2 as the meanings")
                         .arg(label(*word), label(*meaning));
    // Lesson order first; entries in no lesson follow in file order, each entry once.
    QStringList order;
    QSet<QString> taken;
    QStringList meaningTexts;
    for (const QString &id : doc.lessonOrder + doc.entryIds) {
        if (doc.entryLines.contains(id) && !taken.contains(id)) {
            order.append(id);
            taken.insert(id);
            meaningTexts.append(doc.texts[id].value(meaning->id));
        }
    }
    const SenseSplit split = senseSplitOf(meaningTexts);
    for (const QString &id : order) {
        const QString text = doc.texts[id].value(word->id).trimmed();
        source.entries.append({text,
                               meaningsOf(doc.texts[id].value(meaning->id), false, split, {text})
                                   .join(QLatin1Char('\n')),
                               doc.entryLines.value(id), QString()});
    }
    source.ok = true;
    return source;
}

} // namespace Groups

#include "groups/meanings.h"

#include "groups/collection.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace Groups
{

namespace
{

const QString kToneMarks = QStringLiteral("āáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜńňǹḿ");

bool isPinyinLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QChar(0xFC) ||
           c == QChar(0xDC) || c == QLatin1Char(':') || kToneMarks.contains(c.toLower());
}

// Separators outside brackets and quotes, as (position, length) pairs.
QList<std::pair<qsizetype, qsizetype>> separators(const QString &text, SenseSplit split)
{
    QList<std::pair<qsizetype, qsizetype>> found;
    int depth = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{') ||
                   c == QChar(0xFF08)) {
            ++depth;
        } else if ((c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}') ||
                    c == QChar(0xFF09)) &&
                   depth > 0) {
            --depth;
        } else if (c == QLatin1Char('\n')) {
            found.append({i, 1}); // a line break parts senses even inside an open bracket
            depth = 0;
            quoted = false;
        } else if (depth > 0 || quoted) {
            continue;
        } else if (c == QLatin1Char(';') || c == QChar(0xFF1B) ||
                   (split.comma && (c == QLatin1Char(',') || c == QChar(0xFF0C)))) {
            found.append({i, 1});
        } else if (split.slash && c == QLatin1Char('/') && i > 0 && i + 1 < text.size() &&
                   text[i - 1] == QLatin1Char(' ') && text[i + 1] == QLatin1Char(' ')) {
            found.append({i, 1});
        } else if (split.doubleSpace && c == QLatin1Char(' ') && i + 1 < text.size() &&
                   text[i + 1] == QLatin1Char(' ')) {
            qsizetype end = i;
            while (end < text.size() && text[end] == QLatin1Char(' ')) {
                ++end;
            }
            found.append({i, end - i});
            i = end - 1;
        }
    }
    return found;
}

bool hasLetterOrDigit(const QString &text)
{
    for (QChar c : text) {
        if ((c.isLetter() && c.script() == QChar::Script_Latin) || c.isDigit()) {
            return true;
        }
    }
    return false;
}

QString squeezed(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (!c.isSpace()) {
            out += c.toLower();
        }
    }
    return out;
}

} // namespace

bool isPinyin(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("[\\s,/'()\\-·]+"));
    int syllables = 0;
    int toned = 0;
    for (const QString &token : text.split(breaks, Qt::SkipEmptyParts)) {
        qsizetype letters = token.size();
        const bool numbered = token.back() >= QLatin1Char('1') && token.back() <= QLatin1Char('5');
        letters -= numbered ? 1 : 0;
        if (letters == 0) {
            return false;
        }
        bool marked = numbered;
        for (qsizetype i = 0; i < letters; ++i) {
            if (!isPinyinLetter(token[i])) {
                return false;
            }
            marked = marked || kToneMarks.contains(token[i].toLower());
        }
        ++syllables;
        toned += marked ? 1 : 0;
    }
    return syllables > 0 && 2 * toned >= syllables;
}

bool hasZhuyin(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x3100 && c.unicode() <= 0x312F) {
            return true;
        }
    }
    return false;
}

SenseSplit senseSplitOf(const QStringList &fields)
{
    int filled = 0;
    int commas = 0;
    int slashes = 0;
    int spaces = 0;
    for (const QString &field : fields) {
        if (field.trimmed().isEmpty()) {
            continue;
        }
        ++filled;
        commas +=
            separators(field, {true, false, false}).size() > separators(field, {}).size() ? 1 : 0;
        slashes += field.contains(QLatin1String(" / ")) ? 1 : 0;
        spaces += field.trimmed().contains(QLatin1String("  ")) ? 1 : 0;
    }
    // At least three fields and three in ten: a comma now and then stands inside a sense.
    const auto most = [filled](int count) { return count >= 3 && 10 * count >= 3 * filled; };
    return SenseSplit{most(commas), most(slashes), most(spaces)};
}

QStringList splitSenses(const QString &text, SenseSplit split)
{
    QStringList senses;
    qsizetype from = 0;
    for (const auto &[at, length] : separators(text, split)) {
        senses.append(text.mid(from, at - from));
        from = at + length;
    }
    senses.append(text.mid(from));
    return senses;
}

QString cleanSense(const QString &sense)
{
    static const QRegularExpression sound(QStringLiteral("\\[sound:[^\\]]*\\]"));
    static const QRegularExpression cloze(QStringLiteral("\\{\\{c\\d+::(.*?)(?:::[^}]*)?\\}\\}"));
    static const QRegularExpression classifier(
        QStringLiteral("CL:\\s*(?:[^\\s,;\\[\\]]+\\[[^\\]]*\\],?\\s*)+"));
    static const QRegularExpression pronounced(
        QStringLiteral("\\(?\\b(?:also|Taiwan|commonly|old|colloquial) pr\\.[^\\[\\];)]*"
                       "\\[[^\\]]*\\][^);]*\\)?"));
    static const QRegularExpression crossReference(
        QStringLiteral("^(?:see(?: also)?|(?:old |archaic |unofficial |erroneous |ancient )?"
                       "variant of|same as|also written)\\s"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bracketed(QStringLiteral("\\[([^\\[\\]]*)\\]"));
    static const QRegularExpression chineseLead(
        QStringLiteral("^[\\s/|()（）、，,·…]*\\p{Han}[\\p{Han}\\s/|()（）、，,·…]*?"
                       "(?=\\(?[A-Za-z~])"));
    static const QRegularExpression partOfSpeech(
        QStringLiteral("^\\((?:[A-Z][a-z]{0,4}(?:-[a-z]+)?)(?:/[A-Z][a-z]{0,4}(?:-[a-z]+)?)*\\)"));
    QString text = sense;
    text.remove(QChar(0xFEFF));
    text.replace(sound, QString()).replace(cloze, QStringLiteral("\\1"));
    text.replace(classifier, QString()).replace(pronounced, QString());
    text = text.trimmed();
    // Pinyin in brackets ("[wo3] I", "他/她 [tā]") and level tags ("[T0]", "[HSK1]").
    static const QRegularExpression tag(QStringLiteral("^[A-Z]+[0-9]*$"));
    for (qsizetype at = 0;;) {
        const QRegularExpressionMatch m = bracketed.match(text, at);
        if (!m.hasMatch()) {
            break;
        }
        const QString inside = m.captured(1).trimmed();
        if (inside.isEmpty() || isPinyin(inside) || tag.match(inside).hasMatch()) {
            text.remove(m.capturedStart(), m.capturedLength());
            at = m.capturedStart();
        } else {
            at = m.capturedEnd();
        }
    }
    text = text.trimmed();
    if (crossReference.match(text).hasMatch() && hasHan(text)) {
        return QString();
    }
    static const QRegularExpression abbreviatedPart(
        QStringLiteral("^(?:det|conj|prep|pron|num|adj|adv|n|v|m)\\.:\\s*"));
    text.remove(chineseLead);
    text.remove(partOfSpeech);
    text.remove(abbreviatedPart);
    // Private-use characters mark bold or colour in Pleco's text.
    QString plain;
    for (QChar c : text) {
        if (c.category() != QChar::Other_PrivateUse) {
            plain += c;
        }
    }
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    plain = plain.replace(spaces, QStringLiteral(" ")).trimmed();
    while (!plain.isEmpty() && QStringLiteral(",;:/|").contains(plain.back())) {
        plain.chop(1);
    }
    while (!plain.isEmpty() && QStringLiteral(",;:/|").contains(plain.front())) {
        plain.remove(0, 1);
    }
    plain = plain.trimmed();
    if (!hasLetterOrDigit(plain) || hasZhuyin(plain) || isPinyin(plain)) {
        return QString();
    }
    return plain;
}

QStringList meaningsOf(const QString &field, bool html, SenseSplit split,
                       const QStringList &echoes)
{
    QSet<QString> echoed;
    for (const QString &echo : echoes) {
        for (const QString &part : echo.split(QRegularExpression(QStringLiteral("[,;/]")))) {
            echoed.insert(squeezed(part));
        }
    }
    QStringList meanings;
    const QString text = html ? htmlToText(field) : field;
    for (const QString &sense :
         splitSenses(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')), split)) {
        const QString meaning = cleanSense(sense);
        // A line of tone-marked pinyin beside the meanings ("diàn nǎo<br>computer") reads
        // the word aloud; it is no rendering of it.
        const bool reading = isPinyin(meaning) &&
                             std::any_of(meaning.begin(), meaning.end(),
                                         [](QChar c) { return kToneMarks.contains(c.toLower()); });
        if (!meaning.isEmpty() && !reading && !meanings.contains(meaning) &&
            !echoed.contains(squeezed(meaning))) {
            meanings.append(meaning);
        }
    }
    return meanings;
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

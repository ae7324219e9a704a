#include "groups/columns.h"

#include "groups/collection.h"
#include "groups/meanings.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace Groups
{

namespace
{

// Common characters in pairs, simplified then traditional: enough of them turn up in any
// list of a few dozen words to tell the two scripts apart.
const char16_t kPairs[] =
    u"们們个個这這说說会會国國学學时時来來对對为為开開关關电電话話见見车車东東长長门門问問间間听聽"
    u"读讀写寫书書买買卖賣钱錢饭飯马馬鸟鳥鱼魚鸡雞猪豬龙龍气氣汉漢语語请請谢謝谁誰认認识識让讓记記"
    u"讲講还還进進过過边邊远遠运運动動务務业業医醫药藥师師员員产產广廣发發头頭儿兒几幾么麼样樣万萬"
    u"与與专專两兩严嚴乐樂习習乡鄉乱亂亲親从從优優伤傷体體余餘价價传傳钟鐘铁鐵银銀错錯镜鏡闻聞阳陽"
    u"阴陰陆陸际際队隊难難静靜页頁顶頂顺順须須预預领領题題颜顏风風飞飛饿餓馆館骑騎验驗鲜鮮黄黃齐齊"
    u"岁歲爱愛热熱点點无無灯燈爷爺猫貓现現画畫礼禮种種笔筆节節简簡类類纸紙红紅级級线線组組细細经經"
    u"结結给給绿綠网網脑腦脚腳脸臉苹蘋蓝藍虽雖视視觉覺计計讨討设設访訪证證词詞试試该該课課调調谈談"
    u"贵貴费費赛賽转轉轻輕较較辆輛达達选選邮郵键鍵阅閱随隨鸭鴨图圖场場块塊坏壞处處备備复復够夠妈媽"
    u"孙孫宝寶实實导導层層岛島带帶帮幫应應张張归歸当當录錄总總惯慣战戰护護报報换換数數断斷旧舊显顯"
    u"术術机機杂雜条條极極标標树樹桥橋检檢楼樓欢歡毕畢汤湯没沒湾灣满滿烧燒独獨盖蓋确確离離稳穩紧緊"
    u"练練终終绍紹继繼续續编編义義艺藝获獲观觀规規变變脏髒惊驚钥鑰饺餃喂餵厅廳厕廁历歷压壓双雙号號"
    u"叶葉吗嗎团團围圍园園圆圓声聲梦夢奋奮";

constexpr int kSampleRows = 400;

const QHash<QString, ColumnKind> &headingNames()
{
    static const QHash<QString, ColumnKind> names = [] {
        QHash<QString, ColumnKind> map;
        const auto add = [&map](ColumnKind kind, std::initializer_list<const char *> list) {
            for (const char *name : list) {
                map.insert(QString::fromUtf8(name), kind);
            }
        };
        add(ColumnKind::Simplified, {"simplified", "simp", "simplified chinese", "简体", "簡體",
                                     "简体字", "simplified characters"});
        add(ColumnKind::Traditional, {"traditional", "trad", "traditional chinese", "繁體", "繁体",
                                      "繁體字", "traditional characters"});
        add(ColumnKind::Chinese,
            {"chinese", "word", "words", "hanzi", "汉字", "漢字", "中文", "词语", "詞語",
             "character", "characters", "term", "vocab", "vocabulary", "headword", "expression"});
        add(ColumnKind::Meaning,
            {"english", "meaning", "meanings", "definition", "definitions", "translation",
             "translations", "gloss", "glosses", "英文", "英语", "英語", "first translation",
             "english meaning", "other translations"});
        add(ColumnKind::Pinyin, {"pinyin", "拼音", "pronunciation", "reading", "pinyin2"});
        add(ColumnKind::Zhuyin, {"zhuyin", "bopomofo", "注音"});
        add(ColumnKind::Number, {"id", "no", "no.", "#", "number", "index", "level", "hsk",
                                 "hsk level", "band", "frequency", "rank", "freq"});
        add(ColumnKind::Tag,
            {"pos", "part of speech", "tags", "tag", "type", "category", "notes", "note",
             "example", "examples", "sentence", "audio", "sound", "parentword", "parentpinyin",
             "variants", "measure word", "classifier"});
        return map;
    }();
    return names;
}

ColumnKind named(const QString &cell)
{
    QString name = cell.trimmed().toLower();
    name.remove(QLatin1Char('"'));
    return headingNames().value(name, ColumnKind::Other);
}

bool isNumberLike(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[A-Za-z]{0,5}[-_]?[0-9]+(?:[-_.:/]?[A-Za-z]{0,5}[0-9]+)*[A-Za-z]?$"));
    return number.match(text).hasMatch();
}

ColumnKind cellKind(const QString &cell)
{
    static const QRegularExpression sound(QStringLiteral("\\[sound:[^\\]]*\\]"));
    const QString text = QString(cell).remove(sound).trimmed();
    if (text.isEmpty()) {
        return cell.trimmed().isEmpty() ? ColumnKind::Empty : ColumnKind::Sound;
    }
    // A field of the reading on one line and the meanings below is a field of meanings.
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (std::all_of(lines.begin(), lines.end(), [](const QString &l) { return isPinyin(l); })) {
        return ColumnKind::Pinyin;
    }
    if (isNumberLike(text)) {
        return ColumnKind::Number;
    }
    bool latin = false;
    for (QChar c : text) {
        latin = latin || (c.isLetter() && c.script() == QChar::Script_Latin);
    }
    if (hasHan(text) && !latin && !hasZhuyin(text)) {
        static const QRegularExpression sentence(QStringLiteral("[。？！]|\\p{Han}{12}"));
        return sentence.match(text).hasMatch() ? ColumnKind::Sentence : ColumnKind::Chinese;
    }
    if (hasZhuyin(text) && !latin) {
        return ColumnKind::Zhuyin;
    }
    if (!meaningsOf(text, false, SenseSplit{}).isEmpty()) {
        // "I love you." is an example; "to love" and "...I presume." are meanings.
        static const QRegularExpression sentence(
            QStringLiteral("^[A-Z][^;\\n]*\\s\\S+\\s\\S+\\s\\S+[.?!]$"));
        return sentence.match(text).hasMatch() ? ColumnKind::Sentence : ColumnKind::Meaning;
    }
    return ColumnKind::Other;
}

struct ColumnStats {
    ColumnKind kind = ColumnKind::Empty;
    double meaningScore = 0; // how much English text, in how many different fields
    int lean = 0;            // simplified-only minus traditional-only characters
    int chineseCells = 0;
};

ColumnStats statsOf(const QList<QStringList> &rows, qsizetype from, int column)
{
    QHash<ColumnKind, int> counts;
    QSet<QString> distinct;
    ColumnStats stats;
    int filled = 0;
    qsizetype letters = 0;
    for (qsizetype r = from; r < rows.size() && r < from + kSampleRows; ++r) {
        const QString cell = rows[r].value(column);
        const ColumnKind kind = cellKind(cell);
        if (kind == ColumnKind::Empty) {
            continue;
        }
        ++filled;
        ++counts[kind];
        distinct.insert(cell.trimmed());
        if (kind == ColumnKind::Chinese) {
            stats.lean += simplifiedLean(cell);
            ++stats.chineseCells;
        }
        if (kind == ColumnKind::Meaning) {
            letters += std::count_if(cell.begin(), cell.end(), [](QChar c) {
                return c.isLetter() && c.script() == QChar::Script_Latin;
            });
        }
    }
    if (filled == 0) {
        return stats;
    }
    stats.kind = ColumnKind::Other;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (2 * it.value() > filled) {
            stats.kind = it.key();
        }
    }
    const int meanings = counts.value(ColumnKind::Meaning);
    const double spread = double(distinct.size()) / filled;
    if (stats.kind == ColumnKind::Meaning && filled >= 6 &&
        (spread < 0.3 || letters < 3 * meanings)) {
        stats.kind = ColumnKind::Tag; // a handful of short values over and over
    }
    if (stats.kind == ColumnKind::Chinese) {
        stats.kind = stats.lean > 0   ? ColumnKind::Simplified
                     : stats.lean < 0 ? ColumnKind::Traditional
                                      : ColumnKind::Chinese;
    }
    stats.meaningScore =
        meanings * spread * std::log(1.0 + double(letters) / std::max(1, meanings));
    return stats;
}

bool isHeading(const QList<QStringList> &rows)
{
    if (rows.size() < 2) {
        return false;
    }
    const QStringList &first = rows.first();
    int names = 0;
    int filled = 0;
    bool han = false; // Chinese in a cell that is no column name
    for (const QString &cell : first) {
        if (!cell.trimmed().isEmpty()) {
            ++filled;
            const bool name = named(cell) != ColumnKind::Other;
            names += name ? 1 : 0;
            han = han || (!name && hasHan(cell));
        }
    }
    if (names > 0 && 2 * names >= filled && !han) {
        return true;
    }
    if (han) {
        return false;
    }
    qsizetype withHan = 0;
    const qsizetype sample = std::min<qsizetype>(rows.size(), kSampleRows);
    for (qsizetype r = 1; r < sample; ++r) {
        withHan += std::any_of(rows[r].begin(), rows[r].end(), hasHan) ? 1 : 0;
    }
    return 2 * withHan > sample - 1;
}

} // namespace

QString kindName(ColumnKind kind)
{
    static const char *const names[] = {"empty",   "simplified", "traditional", "Chinese",
                                        "English", "pinyin",     "zhuyin",      "numbers",
                                        "tags",    "sentences",  "sound",       "other"};
    static_assert(std::size(names) == static_cast<size_t>(ColumnKind::Other) + 1);
    return QLatin1String(names[static_cast<int>(kind)]);
}

int simplifiedLean(const QString &text)
{
    static const QHash<QChar, int> sides = [] {
        QHash<QChar, int> map;
        for (size_t i = 0; i + 1 < std::size(kPairs) - 1; i += 2) {
            map.insert(QChar(kPairs[i]), 1);
            map.insert(QChar(kPairs[i + 1]), -1);
        }
        return map;
    }();
    int lean = 0;
    for (QChar c : text) {
        lean += sides.value(c);
    }
    return lean;
}

ColumnChoice chooseColumns(const QStringList &heading, const QList<QStringList> &rows,
                           int wordColumn, int meaningColumn)
{
    ColumnChoice choice;
    int columns = 0;
    for (const QStringList &row : rows) {
        columns = std::max(columns, static_cast<int>(row.size()));
    }
    columns = std::max(columns, static_cast<int>(heading.size()));
    choice.headingRow = heading.isEmpty() && isHeading(rows);
    const QStringList names = choice.headingRow ? rows.first() : heading;
    const qsizetype from = choice.headingRow ? 1 : 0;
    QList<ColumnStats> stats;
    for (int c = 0; c < columns; ++c) {
        stats.append(statsOf(rows, from, c));
        const ColumnKind name = named(names.value(c));
        // A heading's name wins over the content, but not over a column that holds none.
        choice.kinds.append(name != ColumnKind::Other && stats[c].kind != ColumnKind::Empty
                                ? name
                                : stats[c].kind);
    }
    const auto outOfRange = [&](int given, const char *option) {
        choice.error = QStringLiteral("--%1 %2: the file has %3 columns")
                           .arg(QLatin1String(option))
                           .arg(given)
                           .arg(columns);
    };
    if (wordColumn > columns || meaningColumn > columns) {
        outOfRange(wordColumn > columns ? wordColumn : meaningColumn,
                   wordColumn > columns ? "word-column" : "meaning-column");
        return choice;
    }
    choice.word = wordColumn - 1;
    for (ColumnKind wanted :
         {ColumnKind::Simplified, ColumnKind::Chinese, ColumnKind::Traditional}) {
        for (int c = 0; c < columns && choice.word < 0; ++c) {
            choice.word = choice.kinds[c] == wanted ? c : -1;
        }
    }
    choice.meaning = meaningColumn - 1;
    double best = 0;
    for (int c = 0; c < columns && meaningColumn == 0; ++c) {
        const bool byName =
            named(names.value(c)) == ColumnKind::Meaning && stats[c].kind != ColumnKind::Empty;
        const double score = byName ? 1e9 - c : stats[c].meaningScore;
        if (c != choice.word && (byName || choice.kinds[c] == ColumnKind::Meaning) &&
            score > best) {
            best = score;
            choice.meaning = c;
        }
    }
    if (choice.word < 0 && columns >= 2 &&
        std::none_of(stats.begin(), stats.end(),
                     [](const ColumnStats &s) { return s.chineseCells > 0; })) {
        // Nothing Chinese to go by: the columns as most lists order them.
        choice.word = 0;
        choice.meaning = meaningColumn > 0 ? meaningColumn - 1 : 1;
        choice.guess = QStringLiteral("no column holds Chinese; took the first two");
    }
    if (choice.word < 0) {
        choice.error = QStringLiteral("no column of Chinese words (%1); name one with "
                                      "--word-column")
                           .arg(describeChoice(choice));
    } else if (choice.meaning < 0 || choice.meaning == choice.word) {
        choice.error = QStringLiteral("no column of English meanings (%1); name one with "
                                      "--meaning-column")
                           .arg(describeChoice(choice));
        choice.meaning = -1;
    }
    return choice;
}

QString describeChoice(const ColumnChoice &choice)
{
    QStringList others;
    for (int c = 0; c < choice.kinds.size(); ++c) {
        if (c != choice.word && c != choice.meaning) {
            others << QStringLiteral("%1 %2").arg(c + 1).arg(kindName(choice.kinds[c]));
        }
    }
    QString text;
    if (choice.word >= 0) {
        text = QStringLiteral("column %1 (%2) as the words")
                   .arg(choice.word + 1)
                   .arg(kindName(choice.kinds.value(choice.word, ColumnKind::Other)));
    }
    if (choice.meaning >= 0) {
        text += QStringLiteral("%1column %2 (%3) as the meanings")
                    .arg(text.isEmpty() ? QString() : QStringLiteral(" and "))
                    .arg(choice.meaning + 1)
                    .arg(kindName(choice.kinds.value(choice.meaning, ColumnKind::Other)));
    }
    if (!others.isEmpty()) {
        text += (text.isEmpty() ? QStringLiteral("columns ") : QStringLiteral("; column ")) +
                others.join(QStringLiteral(", "));
    }
    if (choice.headingRow) {
        text += QStringLiteral("; the first line a heading");
    }
    return text;
}

} // namespace Groups

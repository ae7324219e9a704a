#include "drillcore/drillrules.h"

#include "drillcore/wordfile.h"

namespace DrillRules
{

qsizetype characterCount(const QString &text)
{
    qsizetype count = text.size();
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate()) {
            --count;
        }
    }
    return count;
}

bool lineTooLong(const QString &line)
{
    // A line of no more units than the limit holds no more characters either.
    return line.size() > kLongestLine && characterCount(line) > kLongestLine;
}

int renderingCount(const QString &renderings)
{
    return static_cast<int>(renderings.count(QLatin1Char(';'))) + 1;
}

bool tooManyRenderings(const QString &renderings)
{
    return renderingCount(renderings) > kMostRenderings;
}

Refusal refuseGroup(const QList<WordFile::Entry> &entries)
{
    Refusal refusal;
    refusal.words = static_cast<int>(entries.size());
    if (refusal.words < kLeastWords) {
        refusal.reason = Refusal::TooFewWords;
        return refusal;
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (tooManyRenderings(entries[i].renderings)) {
            refusal.reason = Refusal::TooManyRenderings;
            refusal.entry = static_cast<int>(i + 1);
            refusal.renderings = renderingCount(entries[i].renderings);
            return refusal;
        }
    }
    return refusal;
}

} // namespace DrillRules

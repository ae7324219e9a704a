// The language of each run of a text, so that a screen reader able to switch voices reads
// Chinese in a Chinese voice.
#include "base/chinese.h"
#include "forms/accessibleparts.h"

namespace Forms::Accessible
{

QString languageAttributes(const QString &text, int offset, int *start, int *end)
{
    if (text.isEmpty() || offset < 0 || offset >= text.size()) {
        *start = *end = qBound(0, offset, static_cast<int>(text.size()));
        return QString();
    }
    // Offsets count UTF-16 units; both units of a pair belong to its character's run.
    const auto chineseAt = [&text](int i) {
        return Chinese::isChinese(Chinese::codePointAt(text, i));
    };
    const bool chinese = chineseAt(offset);
    int from = offset;
    int to = offset + 1;
    while (from > 0 && chineseAt(from - 1) == chinese) {
        --from;
    }
    while (to < text.size() && chineseAt(to) == chinese) {
        ++to;
    }
    *start = from;
    *end = to;
    return chinese ? QStringLiteral("language:zh-CN;") : QStringLiteral("language:en;");
}

} // namespace Forms::Accessible

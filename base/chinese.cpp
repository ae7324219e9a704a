#include "base/chinese.h"

#include <QChar>

namespace Chinese
{

bool isChinese(char32_t c)
{
    return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0x20000 && c <= 0x3FFFF) || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

char32_t codePointAt(QStringView text, qsizetype index)
{
    const QChar unit = text.at(index);
    if (unit.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        return QChar::surrogateToUcs4(unit, text.at(index + 1));
    }
    if (unit.isLowSurrogate() && index > 0 && text.at(index - 1).isHighSurrogate()) {
        return QChar::surrogateToUcs4(text.at(index - 1), unit);
    }
    return unit.unicode();
}

} // namespace Chinese

#pragma once

#include <QStringView>

// Which text is Chinese, for the language a screen reader reads it in. Characters are
// judged by code point, so a character beyond the Basic Multilingual Plane (written as
// two UTF-16 units) is judged as one.
namespace Chinese
{

// Han characters (the unified ideographs and their extensions, the compatibility
// ideographs), CJK punctuation and full-width forms.
bool isChinese(char32_t codePoint);

// The code point the UTF-16 unit at index belongs to: either half of a surrogate pair
// gives the pair's; a lone surrogate stands for itself.
char32_t codePointAt(QStringView text, qsizetype index);

} // namespace Chinese

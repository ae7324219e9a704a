#pragma once

#include "groups/readers.h"

#include <QByteArray>

// KVTML, the vocabulary files of KDE's programs: version 2 (KWordQuiz, Parley) and the
// older 1.x (<e><o><t>) of KVocTrain.
namespace Groups
{

// The Chinese side (by locale such as zh, zh_CN, zh-TW or cmn, or by a name such as
// Chinese or 中文, else by the text) as the words and the English side as the meanings; a
// file without either side is refused, naming the side that is missing.
Source readKvtml(const QByteArray &bytes);

} // namespace Groups

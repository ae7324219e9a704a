#pragma once

#include <QLocale>
#include <QString>
#include <QVector>

// Whether the question's word is said aloud, and in which voice: plain choices on Qt Core,
// made apart from the speech service so that they are tested without one.
namespace SpeechChoice
{

enum class Use {
    WithAssistiveTechnology, // while a screen reader runs: the default
    Always,                  // --speak
    Never,                   // --no-speak
};

bool speaks(Use use, bool assistiveTechnologyActive);

// A voice as the speech service offers it. Qt leaves the locale at C for language tags it
// does not know, as espeak-ng's "cmn" for Mandarin.
struct Voice {
    QString name;
    QLocale locale;
};

// The voice a Chinese word is said in: a Mandarin one, by its locale or, where that is
// unknown, by its name; of those preferably one whose name says it reads Latin letters as
// Pinyin (espeak-ng reads many characters wrong in its other Mandarin voice), then one
// with a Chinese locale, then a voice without a variant ("+Adam"). The first of equals;
// -1 when no voice is Mandarin.
int mandarinVoice(const QVector<Voice> &voices);

} // namespace SpeechChoice

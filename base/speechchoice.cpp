#include "base/speechchoice.h"

namespace SpeechChoice
{

bool speaks(Use use, bool assistiveTechnologyActive)
{
    return use == Use::Always ||
           (use == Use::WithAssistiveTechnology && assistiveTechnologyActive);
}

namespace
{

bool says(const QString &name, const char *word)
{
    return name.contains(QLatin1String(word), Qt::CaseInsensitive);
}

// -1 for a voice that does not speak Mandarin, else how well it suits.
int suitability(const Voice &voice)
{
    if (says(voice.name, "Cantonese")) {
        return -1;
    }
    const QLocale::Territory territory = voice.locale.territory();
    // Hong Kong's and Macao's Chinese voices are mostly Cantonese.
    const bool cantoneseTerritory = territory == QLocale::HongKong || territory == QLocale::Macao;
    const bool mandarinName = says(voice.name, "Mandarin");
    bool placed = false;
    if (voice.locale.language() == QLocale::Chinese) {
        if (cantoneseTerritory && !mandarinName) {
            return -1;
        }
        placed = true;
    } else if (voice.locale.language() != QLocale::C ||
               !(mandarinName || says(voice.name, "Chinese"))) {
        return -1;
    }
    int score = 0;
    if (says(voice.name, "Pinyin")) {
        score += 4;
    }
    if (placed) {
        score += 2;
    }
    if (!voice.name.contains(QLatin1Char('+'))) {
        score += 1;
    }
    return score;
}

} // namespace

int mandarinVoice(const QVector<Voice> &voices)
{
    int chosen = -1;
    int best = -1;
    for (int i = 0; i < voices.size(); ++i) {
        const int score = suitability(voices.at(i));
        if (score > best) {
            best = score;
            chosen = i;
        }
    }
    return chosen;
}

} // namespace SpeechChoice

#pragma once

#include "base/speechchoice.h"

#include <QAccessible>
#include <QObject>
#include <QString>

class QThread;

namespace Forms
{

class SpeechLine;

// Says a question's Chinese word in a Mandarin voice through the desktop's speech service
// (speech-dispatcher, by Qt TextToSpeech). Nothing reaches the service until a word is to
// be said while words are spoken (SpeechChoice::speaks); the service's list of voices
// takes a second or more to arrive, so a thread of its own talks to it and no window ever
// waits. When there is no service or no Mandarin voice, one line on standard error says
// why, once, and nothing more is tried.
class WordSpeech : public QObject, private QAccessible::ActivationObserver
{
    Q_OBJECT
public:
    explicit WordSpeech(SpeechChoice::Use use, QObject *parent = nullptr);
    ~WordSpeech() override;

    // Connects ahead of the first word when words are spoken already (and again when a
    // screen reader starts), so that the first question's word is not held up by the
    // voice list.
    void prepare();
    void sayWord(const QString &word);

private:
    void accessibilityActiveChanged(bool active) override;
    bool connectService();
    void reportFailure(const QString &why);

    SpeechChoice::Use m_use;
    QThread *m_thread = nullptr;
    SpeechLine *m_line = nullptr; // lives in m_thread
    bool m_failed = false;
};

} // namespace Forms

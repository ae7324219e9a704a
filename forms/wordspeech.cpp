#include "forms/wordspeech.h"

#include <QMutex>
#include <QTextToSpeech>
#include <QThread>

#include <utility>

#include <cstdio>

namespace Forms
{

// The connection to the speech service, in a thread of its own.
//
// How the word meets a screen reader's speech: Qt's speech-dispatcher engine sends every
// text at the priority "message", the one Orca speaks at too; speech-dispatcher speaks
// messages of that priority one after another, whichever client sent them, and neither
// cuts the other off. What would cut a screen reader off is Qt's engine itself: asked to
// say something while it speaks, or while it is in its error state, it first cancels the
// speech of every client (CANCEL ALL), and so does the object's destruction. So a word
// that comes while the last one is still spoken waits for its end, an error ends the
// speaking for good, and the object is never destroyed: the connection goes with the
// process.
class SpeechLine : public QObject
{
    Q_OBJECT
public:
    // From the windows' thread: the word to say next. A word not yet said when a newer one
    // comes (the first ones, while the voice list arrives) is dropped.
    void ask(const QString &word);
    // In the line's thread: sets the line up at its first call, then says the word asked.
    void take();

signals:
    void failed(const QString &why);

private:
    bool setUp();
    void fail(const QString &why);
    void sayWaitingWord();

    QMutex m_askedLock;
    QString m_asked;
    QTextToSpeech *m_speech = nullptr;
    QString m_waiting; // to be said once the word being said has ended
    bool m_tried = false;
    bool m_broken = false;
};

void SpeechLine::ask(const QString &word)
{
    const QMutexLocker lock(&m_askedLock);
    m_asked = word;
}

void SpeechLine::take()
{
    if (!m_tried && !setUp()) {
        return;
    }
    QString word;
    {
        const QMutexLocker lock(&m_askedLock);
        word = std::exchange(m_asked, QString());
    }
    if (m_broken || word.isEmpty()) {
        return;
    }
    m_waiting = word;
    if (m_speech->state() != QTextToSpeech::Speaking) {
        sayWaitingWord();
    }
}

void SpeechLine::sayWaitingWord()
{
    if (m_broken || m_waiting.isEmpty()) {
        return;
    }
    if (m_speech->state() == QTextToSpeech::Error) {
        fail(QStringLiteral("the speech service failed: %1").arg(m_speech->errorString()));
        return;
    }
    m_speech->say(m_waiting);
    m_waiting.clear();
}

bool SpeechLine::setUp()
{
    m_tried = true;
    const QString engine = QStringLiteral("speechd");
    if (!QTextToSpeech::availableEngines().contains(engine)) {
        fail(QStringLiteral("Qt's speech-dispatcher engine is not installed "
                            "(qt6-speech-speechd-plugin)"));
        return false;
    }
    m_speech = new QTextToSpeech(engine, this);
    if (m_speech->state() == QTextToSpeech::Error) {
        fail(QStringLiteral("the speech service cannot be used: %1").arg(m_speech->errorString()));
        return false;
    }
    // Every voice that may be Mandarin: Chinese locales, and the locale Qt gives voices
    // whose language tag it does not know. Chinese locales last, so that the language the
    // service keeps is Chinese whenever it knows one.
    QList<QLocale> locales;
    for (const QLocale &locale : m_speech->availableLocales()) {
        if (locale.language() == QLocale::C) {
            locales.prepend(locale);
        } else if (locale.language() == QLocale::Chinese) {
            locales.append(locale);
        }
    }
    QList<QVoice> voices;
    QVector<SpeechChoice::Voice> offered;
    for (const QLocale &locale : locales) {
        m_speech->setLocale(locale);
        for (const QVoice &voice : m_speech->availableVoices()) {
            voices.append(voice);
            offered.append({voice.name(), voice.locale()});
        }
    }
    const int chosen = SpeechChoice::mandarinVoice(offered);
    if (chosen < 0) {
        fail(QStringLiteral("the speech service offers no Mandarin voice "
                            "(speech-dispatcher-espeak-ng has one)"));
        return false;
    }
    const QVoice &voice = voices.at(chosen);
    if (voice.locale().language() == QLocale::Chinese) {
        m_speech->setLocale(voice.locale());
    }
    m_speech->setVoice(voice);
    if (m_speech->voice() != voice || m_speech->state() == QTextToSpeech::Error) {
        fail(QStringLiteral("the voice \"%1\" could not be chosen: %2")
                 .arg(voice.name(), m_speech->errorString()));
        return false;
    }
    // The service tells of the end of each text on its own thread; the word waiting is
    // said from this one.
    connect(m_speech, &QTextToSpeech::stateChanged, this,
            [this](QTextToSpeech::State state) {
                if (state != QTextToSpeech::Speaking) {
                    sayWaitingWord();
                }
            },
            Qt::QueuedConnection);
    return true;
}

void SpeechLine::fail(const QString &why)
{
    m_broken = true;
    m_waiting.clear();
    emit failed(why);
}

WordSpeech::WordSpeech(SpeechChoice::Use use, QObject *parent) : QObject(parent), m_use(use)
{
    if (m_use == SpeechChoice::Use::WithAssistiveTechnology) {
        QAccessible::installActivationObserver(this);
    }
}

WordSpeech::~WordSpeech()
{
    QAccessible::removeActivationObserver(this);
    if (!m_thread) {
        return;
    }
    m_thread->quit();
    // A service that does not answer holds the thread in a call; the program's end does
    // not wait for it long.
    if (m_thread->wait(300)) {
        delete m_thread;
    }
    // The line and its speech object are left to the end of the process (see SpeechLine).
}

void WordSpeech::prepare()
{
    if (SpeechChoice::speaks(m_use, QAccessible::isActive())) {
        connectService();
    }
}

void WordSpeech::accessibilityActiveChanged(bool active)
{
    if (active) {
        prepare();
    }
}

void WordSpeech::sayWord(const QString &word)
{
    if (word.isEmpty() || !SpeechChoice::speaks(m_use, QAccessible::isActive()) ||
        !connectService()) {
        return;
    }
    m_line->ask(word);
    QMetaObject::invokeMethod(m_line, &SpeechLine::take, Qt::QueuedConnection);
}

bool WordSpeech::connectService()
{
    if (m_failed) {
        return false;
    }
    if (m_line) {
        return true;
    }
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("wordSpeech"));
    m_line = new SpeechLine;
    m_line->moveToThread(m_thread);
    connect(m_line, &SpeechLine::failed, this, &WordSpeech::reportFailure);
    m_thread->start();
    QMetaObject::invokeMethod(m_line, &SpeechLine::take, Qt::QueuedConnection);
    return true;
}

void WordSpeech::reportFailure(const QString &why)
{
    if (m_failed) {
        return;
    }
    m_failed = true;
    std::fprintf(stderr, "wordmoor: the question's word is not spoken: %s\n",
                 qUtf8Printable(why));
}

} // namespace Forms

#include "wordspeech.moc"

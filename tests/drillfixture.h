#pragma once

// What the drill window's tests share: an installation folder of their own with its
// groups, the program's state, message boxes answered and modal shows observed, and a
// learner who plays questions through the window's handlers.

#include "base/programstate.h"
#include "drill/drillwindow.h"
#include "drillcore/wordfile.h"
#include "records/recordwindow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// A control of a window, found by its object name as the window names it.
template <class T = Forms::Label> T *control(const QObject &window, const QString &name)
{
    T *found = window.findChild<T *>(name);
    if (!found) {
        qFatal("no control named %s", qPrintable(name));
    }
    return found;
}

inline Forms::Label *candidateRow(const QObject &drill, int row)
{
    return control(drill, QStringLiteral("candidateRow_%1").arg(row));
}

inline Forms::Label *rowNumber(const QObject &drill, int row)
{
    return control(drill, QStringLiteral("rowNumber_%1").arg(row));
}

// n words of one rendering each, CR LF line ends.
inline QByteArray simpleGroup(int n)
{
    QByteArray bytes;
    for (int w = 1; w <= n; ++w) {
        bytes += QStringLiteral("词%1\r\nmeaning %1\r\n").arg(w).toUtf8();
    }
    return bytes;
}

inline QByteArray place(qint32 point, qint16 words, qint16 rate, qint16 speed)
{
    QByteArray bytes(10, '\0');
    qToLittleEndian(point, bytes.data());
    qToLittleEndian(words, bytes.data() + 4);
    qToLittleEndian(rate, bytes.data() + 6);
    qToLittleEndian(speed, bytes.data() + 8);
    return bytes;
}

inline int firstWrongRow(const DrillWindow &d)
{
    int row = 0;
    while (d.run().answerRows().contains(row)) {
        ++row;
    }
    return row;
}

class DrillFixture
{
protected:
    void setUp();
    void tearDown();
    void writeGroup(int n, const QByteArray &bytes);
    std::unique_ptr<DrillWindow> openDrill();
    void choose(DrillWindow &d, int group);
    std::unique_ptr<DrillWindow> startRun(const QByteArray &group);
    // R finds every rendering of the open question, W clicks a wrong row, T lets the
    // time run out; each move after the first ticks the pause away first.
    void play(DrillWindow &d, const QString &moves);
    QByteArray recordBytes(int group) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    ProgramState m_state;
    QList<Forms::Message> m_messages;
    int m_recordWindowShows = 0;
};

inline void DrillFixture::setUp()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ciku")));
    m_state = ProgramState();
    m_state.installPath = m_dir->path() + QLatin1Char('/');
    m_messages.clear();
    m_recordWindowShows = 0;
    Forms::setMessageAnswerer([this](const Forms::Message &m) {
        m_messages.append(m);
        return Forms::Answer::Ok;
    });
    Forms::setModalObserver([this](Forms::Form *form) {
        if (qobject_cast<RecordWindow *>(form)) {
            ++m_recordWindowShows;
        }
    });
}

inline void DrillFixture::tearDown()
{
    Forms::setMessageAnswerer({});
    Forms::setModalObserver({});
    m_dir.reset();
}

inline void DrillFixture::writeGroup(int n, const QByteArray &bytes)
{
    QFile file(WordFile::groupPath(m_state.installPath, n));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

inline std::unique_ptr<DrillWindow> DrillFixture::openDrill()
{
    auto drill = std::make_unique<DrillWindow>(m_state);
    drill->random() = Random(42);
    drill->load();
    return drill;
}

inline void DrillFixture::choose(DrillWindow &d, int group)
{
    control<QComboBox>(d, "groupList")->setCurrentIndex(group);
    d.loadChosenGroup();
}

inline std::unique_ptr<DrillWindow> DrillFixture::startRun(const QByteArray &group)
{
    writeGroup(1, group);
    auto d = openDrill();
    choose(*d, 1);
    d->startRun();
    return d;
}

inline void DrillFixture::play(DrillWindow &d, const QString &moves)
{
    for (int i = 0; i < moves.size(); ++i) {
        if (i > 0) {
            QVERIFY(control<Forms::Timer>(d, "nextQuestionPause")->isEnabled());
            d.endPauseBeforeNextQuestion();
        }
        if (moves[i] == QLatin1Char('R')) {
            const QVector<int> rows = d.run().answerRows();
            for (int row : rows) {
                d.judgeRow(row);
            }
        } else if (moves[i] == QLatin1Char('W')) {
            d.judgeRow(firstWrongRow(d));
        } else {
            while (d.run().isAnswering()) {
                d.tickClock();
            }
        }
    }
}

inline QByteArray DrillFixture::recordBytes(int group) const
{
    QFile file(m_state.installPath + QStringLiteral("record_%1.divu").arg(group));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Guards the group list, the rows laid out below each other and numbered, the speed put

#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal delivered on the event loop, so that
// ending the program from outside goes the way a confirmed Exit does. The handler only
// writes a byte into a pipe; everything else happens outside it. One instance at a time.
class EndRequests : public QObject
{
    Q_OBJECT
public:
    // Catches the signals from now on, before there is an event loop to hear of them: what
    // arrives meanwhile waits in the pipe. The first line of main() calls it.
    static void catchSignals();

    explicit EndRequests(QObject *parent = nullptr);
    ~EndRequests() override;

signals:
    void endRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};

// A write past a file-size limit then fails with an error that the caller reports,
// instead of SIGXFSZ killing the program and losing the run.
void ignoreFileSizeSignal();

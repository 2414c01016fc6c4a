#pragma once

#include "jobrequest.h"
#include "songid.h"
#include "songoutcome.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

class QSettings;
class Workflow;

// The whole job of a command line, no window and no question asked: loads the
// day's page, marks the songs asked for, runs, and tells on the console what
// became of each song. Song lines go to standard output, where a script reads
// them; the progress bar (only on a terminal), messages and the summary go to
// standard error. Nothing is stored in the settings.
class CommandJob : public QObject
{
    Q_OBJECT

public:
    // The exit codes.
    enum Exit {
        AllPresent = 0,   // every song asked for is now in its folder
        SomeFailed = 1,   // some are not; each is named with its reason
        UsageError = 2,   // the command line cannot be carried out as given
        NoPage = 3,       // the day's page could not be had
        Interrupted = 130 // stopped by Ctrl+C or SIGTERM
    };

    CommandJob(const JobRequest &request, std::unique_ptr<QSettings> store,
               QObject *parent = nullptr);
    ~CommandJob() override;

    void start();
    // As the stop button: songs in flight and their part files go, whole ones stay.
    void interrupt();

Q_SIGNALS:
    void finished(int exitCode);

private:
    void pageLoaded(bool fetched);
    void printList();
    void markAsked();
    void songStarted(int total);
    void songFinished(SongId song, const SongOutcome &outcome);
    void runFinished(const QString &failedAt);
    void drawProgress(bool now);
    void clearProgress();
    void say(const QString &line);
    void end(int exitCode);

    JobRequest Request;
    Workflow *Work;
    bool ShowProgress = false;
    bool Stopped = false;
    bool Ended = false;
    int Missing = 0;  // songs asked for that the page does not have
    int Failures = 0; // songs asked for that are not in their folder
    int Total = 0, Finished = 0;
    int Percent = 0;
    bool ProgressShown = false;
    QElapsedTimer LastDrawn;
};

// Runs request from the command line in the QCoreApplication that exists;
// returns the exit code.
int RunCommandJob(const JobRequest &request);

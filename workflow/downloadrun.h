#pragma once

#include "exchange.h"
#include "runorder.h"
#include "runreport.h"
#include "songoutcome.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <vector>

class CommitQueue;
class HttpSession;
class PartFile;
class TargetFolder;

// A download run: fetches every marked song that is not on disk yet, in the order
// RunOrder gives, up to Parallel at once, each streamed into a part file that
// becomes the song only when it is whole. Driven by its exchanges', its file
// thread's and its commit queue's signals, each taken from the event loop, so no
// step runs inside another; no window, no nested event loop. Songs are named by
// their ids. The owner starts it, shows what it reports and learns its end from
// finished().
class DownloadRun : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Idle,      // not started
        Preparing, // making and opening the folder, clearing stale part files
        Running,
        Stopping, // stop() asked: songs in flight go, commits under way finish
        Finished,
    };
    Q_ENUM(State)

    using Marks = RunOrder::Marks;

    struct Settings
    {
        QString chosenFolder;   // the user's folder
        QStringList subfolders; // the station's, and optionally the day's, below it
        int parallel = 4;
        Exchange::Timings timings;
    };

    static constexpr int MaxParallel = 8;

    DownloadRun(QList<IdentifiedSong> songs, const Marks *marks, HttpSession *session,
                QObject *parent = nullptr);
    ~DownloadRun() override;

    void start(const Settings &settings);
    // Ends every song in flight at once (their part files go); whole songs on their
    // way to the disk still land. finished() follows.
    void stop();

    State state() const { return Current; }
    const RunTally &tally() const { return Tally; }
    // Songs the run fetches as far as it can tell now, those found present included.
    int total() const { return Order.total(); }
    // The most songs that were in flight at once.
    int peakInFlight() const { return Peak; }
    // Where the songs go, with a trailing separator, once the folder is open.
    QString folderPath() const;

Q_SIGNALS:
    // A song's fetch begins: the ordinal-th of total songs the run fetches.
    void songStarted(SongId song, int ordinal, int total);
    void songFinished(SongId song, const SongOutcome &outcome);
    // The body of a song in flight so far; length -1 while not known.
    void songProgress(SongId song, qint64 bytes, qint64 length);
    // The run as a whole, 0 to 100.
    void progressChanged(int percent);
    // The latest state of any of its connections.
    void lightChanged(Exchange::Light light);
    // failure: why the run could not begin ("" when it ran).
    void finished(const RunTally &tally, const QString &failure);

private:
    // One song on its way from the server to its name on disk. It holds an
    // exchange (one of Parallel) until its body has come; its name stays taken
    // until the file is committed.
    struct Transfer
    {
        enum class Step { WaitingForPart, Fetching, Committing };
        Step step = Step::WaitingForPart;
        SongId song = 0;
        int index = -1; // into the order
        QString name;
        int tag = 0; // the commit's
        std::shared_ptr<PartFile> part;
        Exchange *exchange = nullptr;
        double fraction = 0; // of its body, while fetching
        qint64 bytes = 0;    // of the whole body, once it came
    };

    void folderReady(std::shared_ptr<TargetFolder> folder, const QString &failedAt);
    void advance();
    void begin(const RunOrder::Step &step, Exchange *exchange);
    bool nameBusy(const QString &name) const;
    void orderParts();
    void partMade(std::shared_ptr<PartFile> part);
    void fetch(Transfer *transfer, std::shared_ptr<PartFile> part);
    void fetched(Exchange *exchange);
    void committed(int tag, int result);
    Transfer *holding(Exchange *exchange) const;
    Transfer *committing(int tag) const;
    int waitingForParts() const;
    void end(Transfer *transfer);
    void report(SongId song, SongOutcome outcome, const QString &name);
    void updateProgress();
    void finishIfDone();

    RunOrder Order;
    HttpSession *Session;
    Settings Options;
    State Current = State::Idle;
    RunTally Tally;
    QString FailedAt;

    std::shared_ptr<TargetFolder> Folder;
    QList<Exchange *> Exchanges;     // Parallel of them, for the whole run
    QList<Exchange *> FreeExchanges; // those no transfer holds
    std::vector<std::unique_ptr<Transfer>> Transfers;
    CommitQueue *Commits = nullptr;
    QThreadPool FileThread; // makes folders and part files off the caller's thread
    QList<std::shared_ptr<PartFile>> ReadyParts;
    int PartsOrdered = 0; // being made
    int NextTag = 0;

    int Done = 0; // songs counted in the total that have ended
    int ShownPercent = -1;
    int Peak = 0;
};

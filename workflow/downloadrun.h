#pragma once

#include "exchange.h"
#include "hostpace.h"
#include "resumepoint.h"
#include "runorder.h"
#include "runreport.h"
#include "songoutcome.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <optional>
#include <vector>

class CommitQueue;
class ConnectAhead;
class HttpSession;
class PartFile;
class TargetFolder;
class QTimer;

// A download run: fetches every marked song that is not on disk yet, in the order
// RunOrder gives, as many at once per server as its HostPace allows, each
// streamed into a part file that becomes the song only when it is whole. A song
// whose connection broke, stalled or was throttled is tried again (Tries in all,
// after a growing pause), going on from the bytes it holds where the server
// allows; one that a busy server left waiting while it served others goes back
// to the queue uncounted. The next song's connection is opened ahead. Driven by its exchanges', its
// file thread's and its commit queue's signals, each taken from the event loop, so no step runs
// inside another; no window, no nested event loop. Songs are named by their ids. The owner starts
// it, shows what it reports and learns its end from finished().
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
        int parallel = Auto;    // songs at once per server
        // timings.Attempts bounds the attempts of a song that gets no answer.
        Exchange::Timings timings;
        int retryPauseMs = 1000; // before a song's second try; doubled for each after
    };

    static constexpr int Auto = 0; // parallel chosen by the run
    static constexpr int MaxParallel = HostPace::AutoMax;
    static constexpr int Tries = 3;
    static constexpr int TickMs = 100; // how often throughput is sampled

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
    // Songs at once the run allows now for url's server.
    int limitFor(const QString &url) const;
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
    // exchange until its body has come; its name stays taken
    // until the file is committed.
    struct Transfer
    {
        enum class Step {
            WaitingForPart,
            Fetching,
            Pausing, // sent back, to go again once due and its server has room
            Committing,
        };
        Step step = Step::WaitingForPart;
        SongId song = 0;
        int index = -1; // into the order
        QString name;
        QString host;
        int tag = 0; // the commit's
        std::shared_ptr<PartFile> part;
        Exchange *exchange = nullptr;
        double fraction = 0;    // of its body, while fetching
        qint64 bytes = 0;       // of the whole body, once it came
        int tries = 0;          // counted requests
        int silent = 0;         // unanswered attempts while its server served no other
        bool streaming = false; // the current attempt has had its first byte
        qint64 attemptMs = 0;   // when the current attempt began
        qint64 counted = 0;     // of the part's bytes, in its host's throughput
        qint64 dueMs = 0;       // pausing: when it may go again
        qint64 length = -1;     // of the whole body, once a response told
        double rate = 0;        // bytes/ms of the current attempt, smoothed over ticks
        ResumePoint resume;     // where the next try goes on from
    };

    struct Host
    {
        HostPace pace;
        qint64 bytes = 0;     // body bytes that came from it
        qint64 answerMs = -1; // how long it takes to answer, smoothed; -1 before it did
    };

    void folderReady(std::shared_ptr<TargetFolder> folder, const QString &failedAt);
    void advance();
    RunOrder::Room roomFor(const QString &name, const QString &url);
    void resumeDue(qint64 now);
    void begin(const RunOrder::Step &step);
    Exchange *takeExchange();
    void startFetch(Transfer *transfer);
    void sendBack(Transfer *transfer, qint64 dueMs, bool counted);
    bool retried(Transfer *transfer);
    void tick();
    void prepareAhead();
    void scheduleWake();
    void failWaiting(const QString &reason);
    Host &hostOf(const QString &key);
    static QString hostKey(const QString &url);
    int holdingOn(const QString &host) const;
    int streamingOn(const QString &host, const Transfer *besides) const;
    bool keptWaiting(const QString &host, qint64 now) const;
    int endingSoon(const QString &host) const;
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
    QList<Exchange *> Exchanges;     // made as needed, kept for the whole run
    QList<Exchange *> FreeExchanges; // those no transfer holds
    QHash<QString, Host> Hosts;
    ConnectAhead *Ahead;
    QElapsedTimer Clock;
    QTimer *Tick;
    QTimer *Wake;        // a pause or a server's wait is over
    QString PartFailure; // the folder took no part file: why the rest fail
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

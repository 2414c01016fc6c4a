#pragma once

#include "exchange.h"
#include "playlist.h"
#include "runreport.h"
#include "songoutcome.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>

class CommitQueue;
class HttpSession;
class PartFile;
class TargetFolder;

// A download run: walks the songs in page order and fetches every marked one that
// is not on disk yet, up to Parallel at once, each streamed into a part file that
// becomes the song only when it is whole. Driven by its exchanges' and its commit
// queue's signals; no window, no nested event loop. The owner starts it, shows
// what it reports and learns its end from finished().
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

    // What the run asks as it reaches a song: its mark, and whether file names go
    // without numbers. Both are read anew for every song.
    class Marks
    {
    public:
        virtual ~Marks() = default;
        virtual bool isMarked(int row) const = 0;
        virtual bool noNumbers() const = 0;
    };

    struct Settings
    {
        QString chosenFolder;   // the user's folder
        QStringList subfolders; // the station's, and optionally the day's, below it
        int parallel = 4;
        Exchange::Timings timings;
    };

    static constexpr int MaxParallel = 8;

    DownloadRun(QList<SongEntry> songs, const Marks *marks, HttpSession *session,
                QObject *parent = nullptr);
    ~DownloadRun() override;

    void start(const Settings &settings);
    // Ends every song in flight at once (their part files go); whole songs on their
    // way to the disk still land. finished() follows.
    void stop();

    State state() const { return Current; }
    const RunTally &tally() const { return Tally; }
    // The most songs that were in flight at once.
    int peakInFlight() const { return Peak; }

Q_SIGNALS:
    // A song's fetch begins: the ordinal-th of total songs the run fetches.
    void songStarted(int row, int ordinal, int total);
    void songFinished(int row, const SongOutcome &outcome);
    // The run as a whole, 0 to 100.
    void progressChanged(int percent);
    // The latest state of any of its connections.
    void lightChanged(Exchange::Light light);
    // failure: why the run could not begin ("" when it ran).
    void finished(const RunTally &tally, const QString &failure);

private:
    struct Slot
    {
        int row = -1; // -1: free
        QString name;
        std::shared_ptr<PartFile> part;
        Exchange *exchange = nullptr;
        double fraction = 0;
    };

    void folderReady(std::shared_ptr<TargetFolder> folder, const QString &failedAt);
    void advance();
    bool nameBusy(const QString &name) const;
    void orderParts();
    void partMade(std::shared_ptr<PartFile> part);
    void fetch(Slot *slot, std::shared_ptr<PartFile> part);
    void fetched(Slot *slot);
    void committed(int row, int result);
    void release(Slot *slot);
    void report(int row, const SongOutcome &outcome);
    void updateProgress();
    void finishIfDone();

    QList<SongEntry> Songs;
    const Marks *MarksSource;
    HttpSession *Session;
    Settings Options;
    State Current = State::Idle;
    RunTally Tally;
    QString FailedAt;

    std::shared_ptr<TargetFolder> Folder;
    std::vector<std::unique_ptr<Slot>> Slots;
    CommitQueue *Commits = nullptr;
    QThreadPool FileThread; // creates part files off the window's thread
    QList<std::shared_ptr<PartFile>> ReadyParts;
    int PartsOrdered = 0;          // being made
    QList<Slot *> WaitingForParts; // songs whose part file is not there yet

    int NextRow = 0;
    QList<bool> CountedMarked; // rows counted into Total at the start
    int Total = 0;             // songs to fetch
    int Reached = 0;           // of them, reached so far
    int Done = 0;              // of them, ended
    int ShownPercent = -1;
    bool Advancing = false;
    int Peak = 0;
};

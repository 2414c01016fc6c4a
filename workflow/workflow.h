#pragma once

#include "downloadrun.h"
#include "exchange.h"
#include "httpsession.h"
#include "runprogress.h"
#include "runreport.h"
#include "songid.h"
#include "songoutcome.h"
#include "storedsettings.h"
#include "updatecheck.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class PageLoad;
class QSettings;
class SettingsWriter;
class QTimer;
class SongList;
class UpdateCheck;

// The program's job without a window: the one HTTP session, the update check,
// the load of a day's page, the song list with its marks and outcomes, and the
// download run. Its whole state is one State; every change is a signal, and the
// steps of its own work follow one another from the event loop, so none runs
// inside another. A window shows it and forwards the user's acts; the command
// line drives it the same way.
class Workflow : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Idle,
        CheckingForUpdate,
        Loading,
        Running,
        Stopping, // a run was asked to stop: songs in flight go, whole ones land
    };
    Q_ENUM(State)

    // How long the network may take. Tests shorten them.
    struct Timings
    {
        Exchange::Timings exchange;
        int pageDeadlineMs = 60000;  // a page load as a whole
        int updateDeadlineMs = 4000; // the update check, which holds up the window
        int retryPauseMs = 1000;     // before a song's second try, doubled after
    };

    // What the user chose. The run reads the numbering option as it reaches each song.
    struct Choices
    {
        int station = -1; // index in the station table; -1 before one is picked
        QString date;     // dd.MM.yyyy
        QString folder;   // as given; a text that names no folder is no folder
        bool noNumbers = false;
        bool dayFolders = false;
    };

    enum class RunStart { Started, Busy, NoFolder };

    explicit Workflow(std::unique_ptr<QSettings> store, QObject *parent = nullptr);
    ~Workflow() override;

    void setSettingsStore(std::unique_ptr<QSettings> store);
    // Off: nothing is written to the store (a scheduled job leaves the settings alone).
    void setStoring(bool storing) { Storing = storing; }
    StoredSettings stored() const;
    void setTimings(const Timings &timings);
    Timings timings() const { return Times; }
    void setMaxPageSize(qint64 bytes);
    // Songs fetched at once per server; 0 for the run's choice, -1 for the stored setting.
    void setParallel(int songs) { Parallel = songs; }

    HttpSession *session() { return &Session; }
    SongList *songs() const { return Songs; }
    // The run going on, if any.
    DownloadRun *currentRun() const { return Run; }

    State state() const { return Current; }
    bool busy() const { return Current != State::Idle; }
    QString status() const { return Status; }

    const Choices &choices() const { return Chosen; }
    // A station outside the table changes nothing.
    void setStation(int index);
    void setDate(const QString &date);
    void setFolder(const QString &folder);
    void setNoNumbers(bool on);
    void setDayFolders(bool on);
    // The stored station, folder and options become the choices: a station or a
    // folder only when one is stored, each option only when it is on.
    void restoreChoices();
    // "" while no station is chosen.
    QString stationSlug() const;
    QString stationName() const;
    // Where the songs go: the folder the last run stored into while it exists
    // and the choices still lead there, else the station's folder once it
    // exists, else the chosen one; "" while no existing folder is chosen.
    QString songFolder() const;
    // The folder the last run stored into, with a trailing separator; "" before
    // a run got as far as opening it.
    QString runFolder() const { return LastRunFolder; }
    // Where the run going on stands; that of the last run once it has ended.
    const RunProgress &runProgress() const { return Progress; }

    // The stored day of the last check is not today.
    bool updateDue() const;
    // Each act returns false, or Busy, changing nothing, while other work goes on.
    bool checkForUpdate();
    bool loadPlaylist();
    RunStart startRun();
    // Ends a run as the stop button does; gives a load or an update check up.
    void stop();

Q_SIGNALS:
    void stateChanged(Workflow::State state);
    void choicesChanged();
    // The status line's text: what the work does, or how it ended.
    void statusChanged(const QString &text);
    // A load's response, or a run as a whole, in percent; 0 clears the read-out.
    void progressChanged(qint16 percent);
    // The latest event of any of the work's connections.
    void lightChanged(Exchange::Light light);
    // The check is over and its day stamp written; answered: the server replied.
    void updateChecked(bool answered, const VersionReply &reply);
    void songStarted(SongId song, int ordinal, int total);
    void songFinished(SongId song, const SongOutcome &outcome);
    // A load or a run is over: its last status is told and what it saved written.
    // fetched: a whole page came; failedAt: the folder a run could not make.
    void loadFinished(bool fetched);
    void runFinished(const RunTally &tally, const QString &failedAt);
    void workFinished();

private:
    // The run reads marks and the numbering option from here.
    class RunMarks : public RunOrder::Marks
    {
    public:
        explicit RunMarks(const Workflow *workflow) : Owner(workflow) {}
        bool isMarked(SongId song) const override;
        bool noNumbers() const override;

    private:
        const Workflow *Owner;
    };

    void setState(State state);
    void setStatus(const QString &text);
    void saveChoices();
    void checkEnded();
    void pageLoaded();
    void runSongStarted(SongId song, int ordinal, int total);
    void runSongFinished(SongId song, const SongOutcome &outcome);
    void runSongProgress(SongId song, qint64 bytes, qint64 length);
    // The bar and the status line from where the run stands.
    void showRunProgress(bool status);
    void runEnded(const RunTally &tally, const QString &failedAt);
    // The last word of a load or a run, once what it saved is written.
    void finishWork(const QString &status, const std::function<void()> &announce);
    void settingsWritten(bool ok);

    HttpSession Session;
    std::unique_ptr<QSettings> Store;
    SettingsWriter *Writer;
    SongList *Songs;
    PageLoad *Load;
    UpdateCheck *Check;
    DownloadRun *Run = nullptr;
    RunProgress Progress;
    QElapsedTimer RunClock;
    QTimer *Tick; // the speed's samples while a run goes
    int ShownPercent = -1;
    QString LastRunFolder;
    RunMarks Marks{this};
    Timings Times;
    State Current = State::Idle;
    QString Status;
    Choices Chosen;
    QString LoadStation, LoadDate; // of the load going on
    bool Storing = true;
    int Parallel = -1;                // the stored setting
    bool SettingsUnsaved = false;     // a write failed; said at the end of that work
    bool SettingsFailureTold = false; // and not again while writes keep failing
};

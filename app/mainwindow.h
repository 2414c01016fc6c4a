#pragma once

#include "downloadrun.h"
#include "exchange.h"
#include "playlist.h"
#include "receivebuffer.h"
#include "statusline.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class Check;
class G;
class Prompts;
class QComboBox;
class QLabel;
class QLineEdit;
class PlaylistModel;
class ProgressBox;
class QListView;
class QMenu;
class QSettings;
class QTimer;
class SettingsWriter;
class XpB;
class ucCalendar;

// The program's only window. The controls keep their designer names; the
// handlers are named after the control and event they answer.
class Main : public QWidget
{
    Q_OBJECT

public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    // Replaces the dialogs (tests answer them).
    void setPrompts(std::unique_ptr<Prompts> prompts);
    // Replaces the per-user settings store (tests use a file of their own).
    void setSettingsStore(std::unique_ptr<QSettings> store);

    // Start-up: caption, date, stations, settings, and the update check when one
    // is due; loaded() tells when it is over.
    void Load();
    bool IsLoaded() const { return startedUp; }

    // The busy switch: locks or unlocks the four inputs that start a load or a run.
    // Locking also closes the calendar, whose pick would start a load.
    void EnableInputs(bool enable);

    // The chosen folder, or "" when cancelled.
    QString BrowseForFolder(const QString &title);

    // Starts fetching the chosen station's history page for the date in Text1; its
    // songs are listed when it arrives, then workFinished().
    void LoadPlaylist();
    // Starts a run storing every marked song that is not on disk yet; its end
    // comes as workFinished().
    void DownloadSelected();
    // Runs the update check first when it is due; the rest follows its end.
    void LoadSettings();
    void SaveSettings();
    // Asks the version script whether a newer release exists; start-up goes on
    // when it has answered or its deadline passed.
    void CheckForUpdate();

    // Hosts of the chart site and the version script: "host", "host:port", or
    // either after "http://" or "https://".
    QString ChartHost() const;
    QString UpdateHost() const;
    // The same as the start of a URL: a bare host is asked over plain HTTP.
    static QString SiteUrl(const QString &host);
    // Songs fetched at once in a run: the setting "Parallel", 1 to 8, 4 when unset.
    int Parallel() const;
    static constexpr int DefaultParallel = 4;

    // Event handlers.
    void MT_Timer();
    void Combo1_Click();
    void Text1_Click();
    void Cal_Change();
    void Check1_Click();
    void List1_Click();
    void XpB1_Click();
    void Command1_Click();
    void G_PercentOfLoad(qint16 Perc);

    QString StationSlug() const { return stationSlug; }
    bool SuppressEvents() const { return suppressEvents; }
    const QList<SongEntry> &Songs() const;

    // The songs' marks in List1, by 0-based row.
    int SongCount() const;
    bool IsMarked(int row) const;
    void SetMarked(int row, bool marked);
    int MarkedCount() const;

    // A load or a run is going; nothing else may start one.
    bool Busy() const { return work != Work::None; }
    bool Running() const { return work == Work::Run; }
    // The run going on, if any.
    DownloadRun *CurrentRun() const { return run; }
    // The list's context menu, its actions enabled for the list as it is now.
    QMenu *ListMenu();
    // Where the songs go: the station's folder once it exists, else the chosen
    // one; "" while no folder is chosen.
    QString SongFolder() const;

    // How long the network may take. Tests shorten them.
    struct NetworkTimings
    {
        Exchange::Timings exchange;
        int pageDeadlineMs = 60000;  // a page load as a whole
        int updateDeadlineMs = 4000; // the update check, which holds up the window
    };
    void setNetworkTimings(const NetworkTimings &timings);
    // A history page growing beyond this many bytes fails its load (1 GiB).
    void setMaxPageSize(qint64 bytes) { pageBuffer.setLimit(bytes); }

    static const QString AppVersion;

    // Controls, by their designer names.
    QLabel *bg = nullptr;
    QLineEdit *Text1 = nullptr;
    QComboBox *Combo1 = nullptr;
    XpB *Command1 = nullptr;
    QListView *List1 = nullptr;
    PlaylistModel *Playlist = nullptr;
    Check *Check1 = nullptr;
    QLabel *Label2 = nullptr;
    Check *Check2 = nullptr;
    QLabel *Label3 = nullptr;
    Check *Check3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text2 = nullptr;
    XpB *XpB1 = nullptr;
    ProgressBox *Progress = nullptr;
    QLabel *ImagPr = nullptr;
    QLabel *PercLabel2 = nullptr;
    QLabel *PercLabel = nullptr;
    ::G *G = nullptr;
    StatusLine *st = nullptr;
    ucCalendar *Cal = nullptr;
    QTimer *MT = nullptr;

Q_SIGNALS:
    // Start-up is over, the update check included: the window may show.
    void loaded();
    // A playlist load or a download run has ended; the status says how.
    void workFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Work { None, Load, Run };

    // The run reads the marks and the numbering option as it reaches each song.
    class RunMarks : public DownloadRun::Marks
    {
    public:
        explicit RunMarks(const Main *window) : Window(window) {}
        bool isMarked(int row) const override;
        bool noNumbers() const override;

    private:
        const Main *Window;
    };

    void createControls();
    void connectControls();
    void PlaylistArrived();
    void UpdateReplyArrived();
    void RestoreSettings();
    void StartRun();
    void StopRun();
    void RunSongStarted(int row, int ordinal, int total);
    void RunSongFinished(int row, const SongOutcome &outcome);
    void RunFinished(const RunTally &tally, const QString &failedAt);
    void SettingsWritten(bool ok);
    void ShowListMenu(const QPoint &position);
    // The status line, the read-out and the current song change at most once a
    // frame while work runs; the last word of a load or run is shown at once.
    void ShowStatus(const QString &text);
    void ShowCurrentSong(int row);
    // A song of the run is done: its mark goes with the next frame, together
    // with those of the songs done within it.
    void ShowSongDone(int row);
    void ShowPending();
    // Ends the load or run with its last word, once the settings it saved are written.
    void FinishWork(const QString &status);

    std::unique_ptr<Prompts> prompts;
    std::unique_ptr<QSettings> settings;
    SettingsWriter *settingsWriter = nullptr;
    RunMarks runMarks{this};
    NetworkTimings timings;
    Exchange *pageExchange = nullptr;
    Exchange *updateExchange = nullptr;
    ReceiveBuffer pageBuffer;
    ReceiveBuffer updateBuffer{qint64(1) << 20}; // a few lines are expected
    DownloadRun *run = nullptr;
    QTimer *uiPace = nullptr;
    QMenu *listMenu = nullptr;
    QString stationSlug;
    QString loadStation, loadDate; // of the load going on
    bool suppressEvents = false;
    bool startedUp = false;
    Work work = Work::None;
    bool finishing = false;           // the last word waits for the settings
    bool settingsUnsaved = false;     // a write failed; said at the end of that work
    bool settingsFailureTold = false; // and not again while writes keep failing
    // What waits for the next frame.
    QString pendingStatus;
    qint16 pendingPercent = 0;
    int pendingRow = -1;
    QList<int> pendingDone; // rows whose marks go
    QList<QPair<int, SongOutcome>> pendingOutcomes;
    bool statusDirty = false;
    bool percentDirty = false;
    qint16 shownPercent = 0;
};

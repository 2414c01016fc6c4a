#pragma once

#include "playlist.h"

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
class QSettings;
class QTimer;
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

    // Start-up: caption, date, stations, settings.
    void Load();

    // The busy switch: locks or unlocks the four inputs that start a load or a run.
    // Locking also closes the calendar, whose pick would start a load.
    void EnableInputs(bool enable);

    // The chosen folder, or "" when cancelled.
    QString BrowseForFolder(const QString &title);

    // Fetches the chosen station's history page for the date in Text1 and lists its songs.
    void LoadPlaylist();
    // Stores every marked song that is not on disk yet.
    void DownloadSelected();
    void LoadSettings();
    void SaveSettings();
    // Asks the version script whether a newer release exists.
    void CheckForUpdate();

    // Hosts of the chart site and the version script: "host", "host:port", or
    // either after "http://" or "https://".
    QString ChartHost() const;
    QString UpdateHost() const;
    // The same as the start of a URL: a bare host is asked over plain HTTP.
    static QString SiteUrl(const QString &host);

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

    // Longest waits: a page load as a whole, and the update check at start-up,
    // which holds up the window.
    static constexpr int PageDeadlineMs = 60000;
    static constexpr int UpdateDeadlineMs = 4000;

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
    QLabel *st = nullptr;
    ucCalendar *Cal = nullptr;
    QTimer *MT = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Work { None, Load, Run };

    void createControls();
    void connectControls();
    void StartRun();
    void StopRun();
    // The status line, the read-out and the current song change at most once a
    // frame while work runs; the last word of a load or run is shown at once.
    void ShowStatus(const QString &text);
    void ShowCurrentSong(int row);
    // A song of the run is done: its mark goes with the next frame, together
    // with those of the songs done within it.
    void ShowSongDone(int row);
    void ShowPending();
    void FinishWork(const QString &status);

    std::unique_ptr<Prompts> prompts;
    std::unique_ptr<QSettings> settings;
    QTimer *uiPace = nullptr;
    QString stationSlug;
    bool suppressEvents = false;
    bool closing = false;
    Work work = Work::None;
    bool stopRequested = false;
    quint64 playlistGeneration = 0; // changes whenever the list is replaced
    bool settingsUnsaved = false;     // a write failed; said at the end of that work
    bool settingsFailureTold = false; // and not again while writes keep failing
    // What waits for the next frame.
    QString pendingStatus;
    qint16 pendingPercent = 0;
    int pendingRow = -1;
    QList<int> pendingDone;            // rows whose marks go
    quint64 pendingDoneGeneration = 0; // the list they belong to
    bool statusDirty = false;
    bool percentDirty = false;
    qint16 shownPercent = 0;
};

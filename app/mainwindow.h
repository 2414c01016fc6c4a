#pragma once

#include "workflow.h"

#include <QString>
#include <QWidget>

#include <memory>

class Check;
class FramePace;
class G;
class ListMenu;
class PlaylistModel;
class ProgressBox;
class Prompts;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QSettings;
class QTimer;
class StatusLine;
class XpB;
class ucCalendar;

// The program's only window: a view of the workflow. It shows the workflow's
// state, choices, songs and progress and forwards what the user does; the job
// itself, its state included, is the workflow's. The controls keep their
// designer names (also as their object names); the handlers are named after the
// control and event they answer.
class Main : public QWidget
{
    Q_OBJECT

public:
    using NetworkTimings = Workflow::Timings;

    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    // Replaces the dialogs (tests answer them).
    void setPrompts(std::unique_ptr<Prompts> prompts);
    // Replaces the per-user settings store (tests use a file of their own).
    void setSettingsStore(std::unique_ptr<QSettings> store);
    void setNetworkTimings(const NetworkTimings &timings);

    Workflow *workflow() const { return Work; }

    // Start-up: caption, date, stations, settings, and the update check when one
    // is due; loaded() tells when it is over.
    void Load();
    bool IsLoaded() const { return StartedUp; }

    // The busy switch: locks or unlocks the four inputs that start a load or a run.
    // Locking also closes the calendar, whose pick would start a load.
    void EnableInputs(bool enable);

    // The chosen folder, or "" when cancelled.
    QString BrowseForFolder(const QString &title);

    // Event handlers.
    void MT_Timer();
    void Combo1_Click();
    void Text1_Click();
    void Cal_Change();
    void Check1_Click();
    void List1_Click();
    void XpB1_Click();
    void Command1_Click();
    // The progress read-out: a load's response or a run as a whole.
    void G_PercentOfLoad(qint16 Perc);

    // The list's context menu, its actions enabled for the list as it is now.
    QMenu *ListMenu();

    static const QString AppVersion;

Q_SIGNALS:
    // Start-up is over, the update check included: the window may show.
    void loaded();
    // A playlist load or a download run has ended; the status says how.
    void workFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void connectControls();
    void connectWorkflow();
    void showChoices();
    void showState(Workflow::State state);
    void updateChecked(const VersionReply &reply);
    void restoreSettings();
    void workEnded();
    void showListMenu(const QPoint &position);
    // The list's tip and description: how many songs are marked of how many.
    void showMarkCount();
    // «Открыть папку»; where the desktop cannot, the path in a message.
    void openFolder(const QString &url);
    // The status line, the read-out and the current song change at most once a
    // frame while work runs; the last word of a load or run is shown at once.
    void showStatus(const QString &text);
    void showCurrentSong(SongId song);
    bool showPending();

    Workflow *Work;
    std::unique_ptr<Prompts> Dialogs;
    bool StartedUp = false;

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
    class ListMenu *SongMenu = nullptr;

    // What waits for the next frame.
    FramePace *Pace = nullptr;
    QString PendingStatus;
    qint16 PendingPercent = 0;
    qint16 ShownPercent = 0;
    int PendingRow = -1;
    bool StatusDirty = false;
    bool PercentDirty = false;
};

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
class QListWidget;
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

    // Hosts of the chart site and the version script ("host" or "host:port").
    QString ChartHost() const;
    QString UpdateHost() const;

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
    const QList<SongEntry> &Songs() const { return songs; }

    static const QString AppVersion;

    // Controls, by their designer names.
    QLabel *bg = nullptr;
    QLineEdit *Text1 = nullptr;
    QComboBox *Combo1 = nullptr;
    XpB *Command1 = nullptr;
    QListWidget *List1 = nullptr;
    Check *Check1 = nullptr;
    QLabel *Label2 = nullptr;
    Check *Check2 = nullptr;
    QLabel *Label3 = nullptr;
    Check *Check3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text2 = nullptr;
    XpB *XpB1 = nullptr;
    QLabel *Progress = nullptr;
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
    void createControls();
    void connectControls();

    std::unique_ptr<Prompts> prompts;
    std::unique_ptr<QSettings> settings;
    QString stationSlug;
    bool suppressEvents = false;
    bool closing = false;
    QString PageText;
    QList<SongEntry> songs;
};

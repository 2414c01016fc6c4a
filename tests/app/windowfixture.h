#pragma once

#include "check.h"
#include "fakeprompts.h"
#include "g.h"
#include "mainwindow.h"
#include "playlistmodel.h"
#include "progressbox.h"
#include "songlist.h"
#include "statusline.h"
#include "uccalendar.h"
#include "xpb.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

// The window with its parts found by their designer names, as assistive tools
// find them, and the workflow's answers about the songs it shows.
class TestWindow : public Main
{
public:
    template<typename T> T *part(const char16_t *name) const
    {
        return findChild<T *>(QString::fromUtf16(name));
    }

    QLabel *const bg = part<QLabel>(u"bg");
    QLineEdit *const Text1 = part<QLineEdit>(u"Text1");
    QComboBox *const Combo1 = part<QComboBox>(u"Combo1");
    XpB *const Command1 = part<XpB>(u"Command1");
    QListView *const List1 = part<QListView>(u"List1");
    PlaylistModel *const Playlist = part<PlaylistModel>(u"Playlist");
    Check *const Check1 = part<Check>(u"Check1");
    QLabel *const Label2 = part<QLabel>(u"Label2");
    Check *const Check2 = part<Check>(u"Check2");
    QLabel *const Label3 = part<QLabel>(u"Label3");
    Check *const Check3 = part<Check>(u"Check3");
    QLabel *const Label4 = part<QLabel>(u"Label4");
    QLineEdit *const Text2 = part<QLineEdit>(u"Text2");
    XpB *const XpB1 = part<XpB>(u"XpB1");
    ProgressBox *const Progress = part<ProgressBox>(u"Progress");
    QLabel *const ImagPr = part<QLabel>(u"ImagPr");
    QLabel *const PercLabel2 = part<QLabel>(u"PercLabel2");
    QLabel *const PercLabel = part<QLabel>(u"PercLabel");
    ::G *const G = part<::G>(u"G");
    StatusLine *const st = part<StatusLine>(u"st");
    ucCalendar *const Cal = part<ucCalendar>(u"Cal");
    QTimer *const MT = part<QTimer>(u"MT");

    SongList *songs() const { return workflow()->songs(); }
    int SongCount() const { return songs()->count(); }
    bool IsMarked(int row) const { return songs()->isMarked(row); }
    void SetMarked(int row, bool marked) { songs()->setMarked(row, marked); }
    int MarkedCount() const { return songs()->markedCount(); }
    QList<SongEntry> Songs() const
    {
        QList<SongEntry> entries;
        for (int row = 0; row < SongCount(); ++row)
            entries.append(songs()->song(row));
        return entries;
    }
    QString StationSlug() const { return workflow()->stationSlug(); }
    bool Busy() const { return workflow()->busy(); }
    DownloadRun *CurrentRun() const { return workflow()->currentRun(); }
    void setMaxPageSize(qint64 bytes) { workflow()->setMaxPageSize(bytes); }
};

// The real window with a real client, a settings store of its own, scripted
// dialogs and short network waits (no test waits for the real 5 s watchdog). The
// helpers run the event loop until the window's work has ended, as a user waits.
struct WindowFixture
{
    QTemporaryDir dir;
    QList<FakePrompts::Shown> shown;
    QStringList opened;
    FakePrompts *prompts = nullptr;
    std::unique_ptr<TestWindow> window;
    Main::NetworkTimings timings{{300, 1500, 20, 0}, 10000, 1500};

    QString settingsPath() const { return dir.filePath(QStringLiteral("tunetrawl.conf")); }
    static QString today() { return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")); }

    // The store as the program finds it at start: both hosts at host, the update
    // check done today unless values say otherwise.
    void writeSettings(const QString &host, const QMap<QString, QString> &values = {})
    {
        QSettings store(settingsPath(), QSettings::IniFormat);
        store.clear();
        store.setValue(QStringLiteral("Main/ChartHost"), host);
        store.setValue(QStringLiteral("Main/UpdateHost"), host);
        store.setValue(QStringLiteral("Main/LastUpdate"), today());
        for (auto it = values.begin(); it != values.end(); ++it)
            store.setValue(QStringLiteral("Main/") + it.key(), it.value());
    }

    QString stored(const QString &key) const
    {
        QSettings store(settingsPath(), QSettings::IniFormat);
        return store.value(QStringLiteral("Main/") + key).toString();
    }

    // A new window over the store, not started yet.
    TestWindow *createWindow()
    {
        shown.clear();
        opened.clear();
        window = std::make_unique<TestWindow>();
        auto fake = std::make_unique<FakePrompts>(&shown, &opened);
        prompts = fake.get();
        window->setPrompts(std::move(fake));
        window->setSettingsStore(std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat));
        window->setNetworkTimings(timings);
        return window.get();
    }

    // Start-up, the update check included, until the window may show; then shown.
    bool load()
    {
        QSignalSpy done(window.get(), &Main::loaded);
        window->Load();
        if (!window->IsLoaded() && !done.wait(20000))
            return false;
        window->show();
        return true;
    }

    // Waits until the load or run going on has ended; at once when none is.
    bool waitForWork(int timeoutMs = 30000)
    {
        if (!window->Busy())
            return true;
        QSignalSpy done(window.get(), &Main::workFinished);
        const bool ended = done.wait(timeoutMs);
        if (!ended) // where the work stood, for the log of the row
            qWarning("still busy after %d ms: %s", timeoutMs, qPrintable(window->st->text()));
        return ended;
    }

    // Picks a station in the list, as a click does, and waits for its songs.
    bool pick(int station)
    {
        window->Combo1->setCurrentIndex(station);
        Q_EMIT window->Combo1->activated(station);
        return waitForWork();
    }

    // Presses «Старт!» and waits for the end of the run it starts, if any;
    // lastPeak tells how many songs that run had in flight at most.
    bool startRun()
    {
        window->Command1_Click();
        if (DownloadRun *run = window->CurrentRun())
            QObject::connect(run, &DownloadRun::finished, run,
                             [this, run] { lastPeak = run->peakInFlight(); });
        return waitForWork();
    }
    int lastPeak = 0;
};

#pragma once

#include "fakeprompts.h"
#include "mainwindow.h"

#include <QComboBox>
#include <QDate>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

// The real window with a real client, a settings store of its own, scripted
// dialogs and short network waits (no test waits for the real 5 s watchdog). The
// helpers run the event loop until the window's work has ended, as a user waits.
struct WindowFixture
{
    QTemporaryDir dir;
    QList<FakePrompts::Shown> shown;
    QStringList opened;
    FakePrompts *prompts = nullptr;
    std::unique_ptr<Main> window;
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
    Main *createWindow()
    {
        shown.clear();
        opened.clear();
        window = std::make_unique<Main>();
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
        return done.wait(timeoutMs);
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

#pragma once

#include "settingswriter.h"

#include <QString>

class QSettings;

// The program's settings as the per-user store keeps them, in the group "Main",
// read and written as one value. The texts are exact: only "True" is true.
struct StoredSettings
{
    static constexpr int AutoParallel = 0; // the run chooses, from what it sees
    static constexpr int DefaultParallel = AutoParallel;
    static constexpr int MaxParallel = 16;

    int station = -1;               // "Station": index in the station table, -1 for none
    QString path;                   // "Path": "" when absent
    bool noNumbers = true;          // "NoNum": absent or "True"
    bool dayFolders = false;        // "SubFolsers" (spelled so): "True"
    QString lastUpdate;             // "LastUpdate": day of the last update check
    QString chartHost;              // "ChartHost", never written
    QString updateHost;             // "UpdateHost", never written
    int parallel = DefaultParallel; // "Parallel": "auto" or 1 to MaxParallel, never written

    static StoredSettings read(const QSettings &store);

    // What a load or a run stores of the choices then current: the station, the
    // folder only while it exists, the two options.
    static SettingsWriter::Values choices(int station, const QString &folder, bool noNumbers,
                                          bool dayFolders);
    // The day of an update check that had an answer.
    static SettingsWriter::Values updateStamp(const QString &day);

    // The start of an address on host ("host", "host:port", either after
    // "http://" or "https://"); a bare host is asked over plain HTTP.
    static QString siteUrl(const QString &host);
};

#pragma once

#include "chartsite.h"
#include "fakeprompts.h"
#include "mainwindow.h"

#include <QDate>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// A real window with a real client against the stand-in chart site on
// loopback, its own settings file and scripted dialogs.
struct WorkflowFixture
{
    ChartSite site;
    QTemporaryDir dir;
    QList<FakePrompts::Shown> shown;
    QStringList opened;
    FakePrompts *prompts = nullptr;
    std::unique_ptr<Main> window;

    QString settingsPath() const { return dir.filePath(QStringLiteral("tunetrawl.conf")); }
    static QString today() { return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")); }

    bool start() { return site.listen() && dir.isValid(); }

    // The store as the program finds it at start, hosts pointing at the site.
    void writeSettings(const QMap<QString, QString> &values)
    {
        QSettings store(settingsPath(), QSettings::IniFormat);
        store.clear();
        store.setValue(QStringLiteral("Main/ChartHost"), site.hostAndPort());
        store.setValue(QStringLiteral("Main/UpdateHost"), site.hostAndPort());
        for (auto it = values.begin(); it != values.end(); ++it)
            store.setValue(QStringLiteral("Main/") + it.key(), it.value());
    }

    QString stored(const QString &key) const
    {
        QSettings store(settingsPath(), QSettings::IniFormat);
        return store.value(QStringLiteral("Main/") + key).toString();
    }

    Main *createWindow()
    {
        shown.clear();
        opened.clear();
        window = std::make_unique<Main>();
        auto fake = std::make_unique<FakePrompts>(&shown, &opened);
        prompts = fake.get();
        window->setPrompts(std::move(fake));
        window->setSettingsStore(std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat));
        return window.get();
    }
};

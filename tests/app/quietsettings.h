#pragma once

#include <QDate>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// A settings store of the test's own that has checked for updates today, so a
// window started on it stays off the network.
inline std::unique_ptr<QSettings> QuietSettings(const QTemporaryDir &dir)
{
    auto store = std::make_unique<QSettings>(dir.filePath(QStringLiteral("tunetrawl.conf")),
                                             QSettings::IniFormat);
    store->clear();
    store->setValue(QStringLiteral("Main/LastUpdate"),
                    QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    return store;
}

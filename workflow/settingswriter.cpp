#include "settingswriter.h"

#include <QMetaObject>

SettingsWriter::SettingsWriter(QObject *parent) : QObject(parent)
{
    Thread.setMaxThreadCount(1); // batches land in order
}

SettingsWriter::~SettingsWriter()
{
    Thread.waitForDone();
}

void SettingsWriter::setStore(const QString &fileName, QSettings::Format format)
{
    Thread.waitForDone();
    FileName = fileName;
    Format = format;
}

void SettingsWriter::write(const Values &values)
{
    ++Pending;
    Thread.start([this, fileName = FileName, format = Format, values] {
        QSettings store(fileName, format);
        for (const auto &[key, value] : values)
            store.setValue(key, value);
        store.sync();
        const bool ok = store.status() == QSettings::NoError;
        QMetaObject::invokeMethod(
            this, [this, ok] { batchDone(ok); }, Qt::QueuedConnection);
    });
}

void SettingsWriter::whenWritten(std::function<void()> then)
{
    if (Pending == 0)
        then();
    else
        Waiting.append(std::move(then));
}

void SettingsWriter::batchDone(bool ok)
{
    --Pending;
    emit written(ok);
    if (Pending > 0)
        return;
    const QList<std::function<void()>> waiting = std::exchange(Waiting, {});
    for (const std::function<void()> &then : waiting)
        then();
}

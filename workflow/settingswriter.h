#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QSettings>
#include <QString>
#include <QThreadPool>

#include <functional>

// Writes settings off the window's thread: saving syncs the store's file to disk,
// which can take a while. Batches are written one after another in the order given,
// through a store object of their own on the same file (QSettings objects of one
// file share what they hold, so reads on the window's thread see each write).
class SettingsWriter : public QObject
{
    Q_OBJECT

public:
    explicit SettingsWriter(QObject *parent = nullptr);
    // Lets the writes under way and waiting finish.
    ~SettingsWriter() override;

    void setStore(const QString &fileName, QSettings::Format format);

    using Values = QList<QPair<QString, QString>>; // key (with its group), value
    void write(const Values &values);

    // Batches not written yet.
    int pending() const { return Pending; }
    // Runs then at once when nothing is pending, else once everything given so far
    // has been written.
    void whenWritten(std::function<void()> then);

Q_SIGNALS:
    // One batch is written; ok is false when the store could not be written.
    void written(bool ok);

private:
    void batchDone(bool ok);

    QThreadPool Thread;
    QString FileName;
    QSettings::Format Format = QSettings::NativeFormat;
    int Pending = 0;
    QList<std::function<void()>> Waiting;
};

#pragma once

#include "bytesink.h"

#include <QString>

// A file that appears under its name only once it is whole. It is written under a
// short name of its own in the target folder (so that any final name that fits the
// folder fits), its data reaches the disk, and only then is it renamed to the final
// name, never replacing anything there. Never committed, it is removed.
class PartFile : public ByteSink
{
public:
    explicit PartFile(const QString &folder);
    ~PartFile() override;
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    // Creates the temporary file. False when the folder does not take it.
    bool open();
    bool restart() override;
    bool write(QByteArrayView bytes) override;

    enum class Commit {
        Done,    // the file is under its name, its data on disk
        Present, // something already is at that name; nothing was replaced
        Failed,
    };
    // Whatever the outcome, the temporary file is gone afterwards.
    Commit commit(const QString &path);
    void discard();

    QString temporaryPath() const { return TemporaryPath; }
    qint64 size() const { return Written; }

    // Every this many bytes the data written so far is sent on its way to the disk,
    // so that the sync before the rename has little left to do.
    static constexpr qint64 WritebackStep = qint64(8) << 20;

private:
    QString Folder;
    QString TemporaryPath;
    int Descriptor = -1;
    qint64 Written = 0;
    qint64 WrittenBack = 0;
};

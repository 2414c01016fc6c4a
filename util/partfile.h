#pragma once

#include "bytesink.h"
#include "nativehandle.h"

#include <QString>

#include <memory>

class TargetFolder;

// A file that appears under its name only once it is whole. It is written under a
// short name of its own in the target folder (so that any final name that fits the
// folder fits), locked against other processes' clean-up while it is written, its
// data reaches the disk, and only then is it renamed to the final name, never
// replacing anything there. Never committed, it is removed.
class PartFile : public ByteSink
{
public:
    explicit PartFile(std::shared_ptr<const TargetFolder> folder);
    // Opens folder for this one file.
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
    // Renames the file to name, in its folder. Whatever the outcome, the
    // temporary file is gone afterwards.
    Commit commit(const QString &name);
    void discard();

    QString temporaryPath() const;
    qint64 size() const { return Written; }

    // Every this many bytes the data written so far is sent on its way to the disk,
    // so that the sync before the rename has little left to do.
    static constexpr qint64 WritebackStep = qint64(8) << 20;

private:
    std::shared_ptr<const TargetFolder> Folder;
    QString TemporaryName;
    NativeHandle Handle = NoHandle;
    qint64 Written = 0;
    qint64 WrittenBack = 0;
};

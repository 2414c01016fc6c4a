#include "partfile.h"

#include "partfile_p.h"
#include "targetfolder.h"

#include <QRandomGenerator>

#include <utility>

namespace {

QString RandomName()
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = QStringLiteral(".tunetrawl-");
    for (int i = 0; i < 8; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(36)]);
    return name + QStringLiteral(".part");
}

} // namespace

PartFile::PartFile(std::shared_ptr<const TargetFolder> folder) : Folder(std::move(folder)) {}

PartFile::PartFile(const QString &folder) : Folder(TargetFolder::open(folder)) {}

PartFile::~PartFile()
{
    discard();
}

QString PartFile::temporaryPath() const
{
    return TemporaryName.isEmpty() || !Folder ? QString() : Folder->path() + TemporaryName;
}

bool PartFile::open()
{
    discard();
    if (!Folder)
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = RandomName();
        NativeHandle file = NoHandle;
        switch (PartFileSys::create(*Folder, name, &file)) {
        case PartFileSys::Created::Done:
            Handle = file;
            TemporaryName = name;
            Written = WrittenBack = 0;
            return true;
        case PartFileSys::Created::Taken:
            continue;
        case PartFileSys::Created::Failed:
            return false;
        }
    }
    return false;
}

bool PartFile::restart()
{
    if (Handle == NoHandle)
        return false;
    Written = WrittenBack = 0;
    return PartFileSys::truncate(Handle);
}

bool PartFile::write(QByteArrayView bytes)
{
    if (Handle == NoHandle || !PartFileSys::writeAll(Handle, bytes.data(), bytes.size()))
        return false;
    Written += bytes.size();
    if (Written - WrittenBack >= WritebackStep) {
        PartFileSys::startWriteBack(Handle, WrittenBack, Written - WrittenBack);
        WrittenBack = Written;
    }
    return true;
}

PartFile::Commit PartFile::commit(const QString &name)
{
    if (Handle == NoHandle)
        return Commit::Failed;
    // Renamed while still open and held, so no clean-up can take it on the way.
    const Commit result = PartFileSys::syncData(Handle)
                              ? PartFileSys::renameNoReplace(*Folder, Handle, TemporaryName, name)
                              : Commit::Failed;
    if (result == Commit::Done)
        TemporaryName.clear();
    discard();
    return result;
}

void PartFile::discard()
{
    if (!TemporaryName.isEmpty() && Folder && Handle != NoHandle)
        PartFileSys::remove(*Folder, Handle, TemporaryName);
    TemporaryName.clear();
    if (Handle != NoHandle)
        PartFileSys::close(std::exchange(Handle, NoHandle));
}

#include "partfile_p.h"

#include "targetfolder.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Descriptor(NativeHandle handle)
{
    return int(handle);
}

} // namespace

namespace PartFileSys {

Created create(const TargetFolder &folder, const QString &name, NativeHandle *file)
{
    const int at = Descriptor(folder.handle());
    const QByteArray encoded = QFile::encodeName(name);
    // Created like any new file, so the umask decides who may read the song.
    const int descriptor =
        ::openat(at, encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return errno == EEXIST ? Created::Taken : Created::Failed;
    // Locked, and still ours under that name: another instance's clean-up may
    // have taken the name between the create and the lock.
    struct stat own, named;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 || ::fstat(descriptor, &own) != 0 ||
        ::fstatat(at, encoded.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        own.st_ino != named.st_ino || own.st_dev != named.st_dev) {
        ::close(descriptor);
        return Created::Taken;
    }
    *file = descriptor;
    return Created::Done;
}

bool writeAll(NativeHandle file, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(Descriptor(file), data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool truncate(NativeHandle file)
{
    return ::ftruncate(Descriptor(file), 0) == 0 && ::lseek(Descriptor(file), 0, SEEK_SET) == 0;
}

void startWriteBack([[maybe_unused]] NativeHandle file, [[maybe_unused]] qint64 from,
                    [[maybe_unused]] qint64 size)
{
#ifdef Q_OS_LINUX
    ::sync_file_range(Descriptor(file), from, size, SYNC_FILE_RANGE_WRITE);
#endif
}

bool syncData(NativeHandle file)
{
#ifdef Q_OS_DARWIN
    return ::fsync(Descriptor(file)) == 0;
#else
    return ::fdatasync(Descriptor(file)) == 0;
#endif
}

// The kernel refuses atomically where it can.
PartFile::Commit renameNoReplace(const TargetFolder &folder, NativeHandle, const QString &from,
                                 const QString &to)
{
    const int at = Descriptor(folder.handle());
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef Q_OS_LINUX
    if (::renameat2(at, source.constData(), at, target.constData(), RENAME_NOREPLACE) == 0)
        return PartFile::Commit::Done;
    if (errno == EEXIST)
        return PartFile::Commit::Present;
    if (errno != EINVAL && errno != ENOSYS)
        return PartFile::Commit::Failed;
#endif
    // A hard link fails on an existing name as well; some file systems have none.
    if (::linkat(at, source.constData(), at, target.constData(), 0) == 0) {
        ::unlinkat(at, source.constData(), 0);
        return PartFile::Commit::Done;
    }
    if (errno == EEXIST)
        return PartFile::Commit::Present;
    if (folder.entryAt(to) != TargetFolder::Entry::None)
        return PartFile::Commit::Present;
    return ::renameat(at, source.constData(), at, target.constData()) == 0
               ? PartFile::Commit::Done
               : PartFile::Commit::Failed;
}

void remove(const TargetFolder &folder, NativeHandle, const QString &name)
{
    ::unlinkat(Descriptor(folder.handle()), QFile::encodeName(name).constData(), 0);
}

void close(NativeHandle file)
{
    ::close(Descriptor(file));
}

} // namespace PartFileSys

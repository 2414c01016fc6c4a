#include "partfile.h"

#include "targetfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

QString RandomName()
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = QStringLiteral(".tunetrawl-");
    for (int i = 0; i < 8; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(36)]);
    return name + QStringLiteral(".part");
}

bool WriteAll(int descriptor, const char *data, qint64 size)
{
    while (size > 0) {
#ifdef Q_OS_WIN
        const int n = ::_write(descriptor, data, unsigned(qMin<qint64>(size, 1 << 30)));
#else
        const ssize_t n = ::write(descriptor, data, size_t(size));
#endif
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

bool SyncData(int descriptor)
{
#if defined(Q_OS_WIN)
    return ::_commit(descriptor) == 0;
#elif defined(Q_OS_DARWIN)
    return ::fsync(descriptor) == 0;
#else
    return ::fdatasync(descriptor) == 0;
#endif
}

void Close(int descriptor)
{
#ifdef Q_OS_WIN
    ::_close(descriptor);
#else
    ::close(descriptor);
#endif
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
#ifdef Q_OS_WIN
        const QByteArray path = QFile::encodeName(Folder->path() + name);
        const int descriptor = ::_open(path.constData(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                                       _S_IREAD | _S_IWRITE);
        if (descriptor < 0) {
            if (errno != EEXIST)
                return false;
            continue;
        }
#else
        const QByteArray encoded = QFile::encodeName(name);
        // Created like any new file, so the umask decides who may read the song.
        const int descriptor = ::openat(Folder->descriptor(), encoded.constData(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            if (errno != EEXIST)
                return false;
            continue;
        }
        // Locked, and still ours under that name: another instance's clean-up may
        // have taken the name between the create and the lock.
        struct stat own, named;
        if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 || ::fstat(descriptor, &own) != 0 ||
            ::fstatat(Folder->descriptor(), encoded.constData(), &named, AT_SYMLINK_NOFOLLOW) !=
                0 ||
            own.st_ino != named.st_ino || own.st_dev != named.st_dev) {
            ::close(descriptor);
            continue;
        }
#endif
        Descriptor = descriptor;
        TemporaryName = name;
        Written = WrittenBack = 0;
        return true;
    }
    return false;
}

bool PartFile::restart()
{
    if (Descriptor < 0)
        return false;
    Written = WrittenBack = 0;
#ifdef Q_OS_WIN
    return ::_chsize_s(Descriptor, 0) == 0 && ::_lseeki64(Descriptor, 0, SEEK_SET) == 0;
#else
    return ::ftruncate(Descriptor, 0) == 0 && ::lseek(Descriptor, 0, SEEK_SET) == 0;
#endif
}

bool PartFile::write(QByteArrayView bytes)
{
    if (Descriptor < 0 || !WriteAll(Descriptor, bytes.data(), bytes.size()))
        return false;
    Written += bytes.size();
#ifdef Q_OS_LINUX
    if (Written - WrittenBack >= WritebackStep) {
        // Start the write-out now, without waiting for it.
        ::sync_file_range(Descriptor, WrittenBack, Written - WrittenBack, SYNC_FILE_RANGE_WRITE);
        WrittenBack = Written;
    }
#endif
    return true;
}

// Renames without replacing: the kernel refuses atomically where it can.
PartFile::Commit PartFile::rename(const QString &name)
{
#ifdef Q_OS_WIN
    const QString from = Folder->path() + TemporaryName;
    const QString to = Folder->path() + name;
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink())
        return Commit::Present;
    // QFile::rename never replaces an existing file.
    return QFile::rename(from, to) ? Commit::Done : Commit::Failed;
#else
    const int folder = Folder->descriptor();
    const QByteArray source = QFile::encodeName(TemporaryName);
    const QByteArray target = QFile::encodeName(name);
#ifdef Q_OS_LINUX
    if (::renameat2(folder, source.constData(), folder, target.constData(), RENAME_NOREPLACE) == 0)
        return Commit::Done;
    if (errno == EEXIST)
        return Commit::Present;
    if (errno != EINVAL && errno != ENOSYS)
        return Commit::Failed;
#endif
    // A hard link fails on an existing name as well; some file systems have none.
    if (::linkat(folder, source.constData(), folder, target.constData(), 0) == 0) {
        ::unlinkat(folder, source.constData(), 0);
        return Commit::Done;
    }
    if (errno == EEXIST)
        return Commit::Present;
    if (Folder->entryAt(name) != TargetFolder::Entry::None)
        return Commit::Present;
    return ::renameat(folder, source.constData(), folder, target.constData()) == 0 ? Commit::Done
                                                                                   : Commit::Failed;
#endif
}

PartFile::Commit PartFile::commit(const QString &name)
{
    if (Descriptor < 0)
        return Commit::Failed;
    // Renamed while still open and locked, so no clean-up can take it on the way.
    const bool synced = SyncData(Descriptor);
#ifdef Q_OS_WIN
    // Windows renames no file that is open.
    Close(std::exchange(Descriptor, -1));
#endif
    const Commit result = synced ? rename(name) : Commit::Failed;
    if (result == Commit::Done)
        TemporaryName.clear();
    discard();
    return result;
}

void PartFile::discard()
{
    if (!TemporaryName.isEmpty() && Folder) {
#ifdef Q_OS_WIN
        if (Descriptor >= 0)
            Close(std::exchange(Descriptor, -1));
        QFile::remove(Folder->path() + TemporaryName);
#else
        ::unlinkat(Folder->descriptor(), QFile::encodeName(TemporaryName).constData(), 0);
#endif
        TemporaryName.clear();
    }
    if (Descriptor >= 0)
        Close(std::exchange(Descriptor, -1));
}

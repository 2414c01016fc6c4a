#include "partfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef Q_OS_WIN
#include <io.h>
#else
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

// Renames without replacing: the kernel refuses atomically where it can.
PartFile::Commit RenameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return PartFile::Commit::Done;
    if (errno == EEXIST)
        return PartFile::Commit::Present;
    if (errno != EINVAL && errno != ENOSYS)
        return PartFile::Commit::Failed;
#endif
#ifndef Q_OS_WIN
    // A hard link fails on an existing name as well; some file systems have none.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return PartFile::Commit::Done;
    }
    if (errno == EEXIST)
        return PartFile::Commit::Present;
#endif
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink())
        return PartFile::Commit::Present;
    // QFile::rename never replaces an existing file.
    return QFile::rename(from, to) ? PartFile::Commit::Done : PartFile::Commit::Failed;
}

} // namespace

PartFile::PartFile(const QString &folder) : Folder(folder) {}

PartFile::~PartFile()
{
    discard();
}

bool PartFile::open()
{
    discard();
    const QString folder = QDir(Folder).absolutePath() + QLatin1Char('/');
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = folder + RandomName();
        const QByteArray name = QFile::encodeName(path);
#ifdef Q_OS_WIN
        const int descriptor = ::_open(name.constData(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                                       _S_IREAD | _S_IWRITE);
#else
        // Created like any new file, so the umask decides who may read the song.
        const int descriptor =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
        if (descriptor >= 0) {
            Descriptor = descriptor;
            TemporaryPath = path;
            Written = WrittenBack = 0;
            return true;
        }
        if (errno != EEXIST)
            return false;
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

PartFile::Commit PartFile::commit(const QString &path)
{
    if (Descriptor < 0)
        return Commit::Failed;
    const bool synced = SyncData(Descriptor);
#ifdef Q_OS_WIN
    const bool closed = ::_close(Descriptor) == 0;
#else
    const bool closed = ::close(Descriptor) == 0;
#endif
    Descriptor = -1;
    const Commit result = synced && closed ? RenameNoReplace(TemporaryPath, path) : Commit::Failed;
    if (result != Commit::Done)
        QFile::remove(TemporaryPath);
    TemporaryPath.clear();
    return result;
}

void PartFile::discard()
{
    if (Descriptor >= 0) {
#ifdef Q_OS_WIN
        ::_close(Descriptor);
#else
        ::close(Descriptor);
#endif
        Descriptor = -1;
    }
    if (!TemporaryPath.isEmpty()) {
        QFile::remove(TemporaryPath);
        TemporaryPath.clear();
    }
}

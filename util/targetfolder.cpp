#include "targetfolder.h"

#include "pathutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifndef Q_OS_WIN
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#endif

namespace {

#ifndef Q_OS_WIN
int OpenFolderAt(int parent, const QByteArray &name)
{
    return ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}
#endif

} // namespace

TargetFolder::~TargetFolder()
{
#ifndef Q_OS_WIN
    if (Descriptor >= 0)
        ::close(Descriptor);
#endif
}

std::shared_ptr<TargetFolder> TargetFolder::open(const QString &base, const QStringList &levels,
                                                 QString *failedAt)
{
    std::shared_ptr<TargetFolder> folder(new TargetFolder);
    QString path = WithTrailingSeparator(base);
#ifdef Q_OS_WIN
    if (!QFileInfo(path).isDir()) {
        if (failedAt)
            *failedAt = path;
        return nullptr;
    }
    for (const QString &level : levels) {
        path += level + FolderSeparator();
        if (!QFileInfo(path).isDir() && !QDir().mkdir(path)) {
            if (failedAt)
                *failedAt = path;
            return nullptr;
        }
    }
#else
    folder->Descriptor = OpenFolderAt(AT_FDCWD, QFile::encodeName(path));
    for (qsizetype i = 0; folder->Descriptor >= 0 && i < levels.size(); ++i) {
        path += levels[i] + FolderSeparator();
        const QByteArray name = QFile::encodeName(levels[i]);
        if (::mkdirat(folder->Descriptor, name.constData(), 0777) != 0 && errno != EEXIST) {
            ::close(std::exchange(folder->Descriptor, -1));
            break;
        }
        const int next = OpenFolderAt(folder->Descriptor, name);
        ::close(folder->Descriptor);
        folder->Descriptor = next;
    }
    if (folder->Descriptor < 0) {
        if (failedAt)
            *failedAt = path;
        return nullptr;
    }
#endif
    folder->Path = path;
    return folder;
}

TargetFolder::Entry TargetFolder::entryAt(const QString &name) const
{
#ifdef Q_OS_WIN
    const QFileInfo info(Path + name);
    if (info.isSymLink())
        return Entry::File;
    if (!info.exists())
        return Entry::None;
    return info.isDir() ? Entry::Folder : Entry::File;
#else
    struct stat status;
    if (::fstatat(Descriptor, QFile::encodeName(name).constData(), &status, AT_SYMLINK_NOFOLLOW) !=
        0)
        return errno == ENOENT ? Entry::None : Entry::File; // unknown: never overwrite
    return S_ISDIR(status.st_mode) ? Entry::Folder : Entry::File;
#endif
}

bool TargetFolder::isPartFileName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.tunetrawl-[a-z0-9]{8}\\.part$"));
    return pattern.match(name).hasMatch();
}

int TargetFolder::removeStaleParts() const
{
    int removed = 0;
#ifdef Q_OS_WIN
    // A file another process has open cannot be removed here: a live writer keeps its.
    const QStringList names =
        QDir(Path).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString &name : names) {
        if (isPartFileName(name) && QFile::remove(Path + name))
            ++removed;
    }
#else
    const int listing = OpenFolderAt(Descriptor, ".");
    DIR *entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return 0;
    }
    while (const dirent *entry = ::readdir(entries)) {
        if (!isPartFileName(QFile::decodeName(entry->d_name)))
            continue;
        const int file =
            ::openat(Descriptor, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (file < 0)
            continue;
        struct stat status;
        // Whoever writes it holds the lock until it is renamed or removed.
        if (::fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(file, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(Descriptor, entry->d_name, 0) == 0)
            ++removed;
        ::close(file);
    }
    ::closedir(entries);
#endif
    return removed;
}

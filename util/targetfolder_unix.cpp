#include "targetfolder_p.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int OpenFolderAt(int parent, const QByteArray &name)
{
    return ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

namespace TargetFolderSys {

NativeHandle openFolder(const QString &path)
{
    return OpenFolderAt(AT_FDCWD, QFile::encodeName(path));
}

NativeHandle openSubfolder(NativeHandle parent, const QString &, const QString &name)
{
    const QByteArray encoded = QFile::encodeName(name);
    if (::mkdirat(int(parent), encoded.constData(), 0777) != 0 && errno != EEXIST)
        return NoHandle;
    return OpenFolderAt(int(parent), encoded);
}

void closeFolder(NativeHandle folder)
{
    ::close(int(folder));
}

bool takesFiles(NativeHandle folder)
{
    // A removed folder has no links left; access() also sees a read-only mount.
    struct stat status;
    return ::fstat(int(folder), &status) == 0 && status.st_nlink > 0 &&
           ::faccessat(int(folder), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

TargetFolder::Entry entryAt(NativeHandle folder, const QString &, const QString &name)
{
    struct stat status;
    if (::fstatat(int(folder), QFile::encodeName(name).constData(), &status, AT_SYMLINK_NOFOLLOW) !=
        0)
        return errno == ENOENT ? TargetFolder::Entry::None
                               : TargetFolder::Entry::File; // unknown: never overwrite
    return S_ISDIR(status.st_mode) ? TargetFolder::Entry::Folder : TargetFolder::Entry::File;
}

QStringList fileNames(NativeHandle folder, const QString &)
{
    QStringList names;
    const int listing = OpenFolderAt(int(folder), ".");
    DIR *entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return names;
    }
    while (const dirent *entry = ::readdir(entries)) {
        if (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN)
            names += QFile::decodeName(entry->d_name);
    }
    ::closedir(entries);
    return names;
}

bool removeUnlessHeld(NativeHandle folder, const QString &, const QString &name)
{
    const QByteArray encoded = QFile::encodeName(name);
    const int file =
        ::openat(int(folder), encoded.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return false;
    struct stat status;
    // Whoever writes it holds the lock until it is renamed or removed.
    const bool removed = ::fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
                         ::flock(file, LOCK_EX | LOCK_NB) == 0 &&
                         ::unlinkat(int(folder), encoded.constData(), 0) == 0;
    ::close(file);
    return removed;
}

} // namespace TargetFolderSys

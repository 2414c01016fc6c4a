#pragma once

#include "nativehandle.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A folder held open while files are made in it, so that a folder renamed, or
// replaced by a link, while work goes on does not send files elsewhere. On Unix
// names are made relative to the held folder itself; on Windows the folder and
// each one above it up to the chosen one are held without delete sharing, so
// none of them can be renamed, removed or replaced while the run holds them.
class TargetFolder
{
public:
    ~TargetFolder();
    TargetFolder(const TargetFolder &) = delete;
    TargetFolder &operator=(const TargetFolder &) = delete;

    // Opens base, then each of levels below it in turn, making those that are
    // missing. On failure, failedAt names the folder that could not be had.
    static std::shared_ptr<TargetFolder> open(const QString &base, const QStringList &levels = {},
                                              QString *failedAt = nullptr);

    // The path the folder was opened at, with a trailing separator.
    QString path() const { return Path; }
    // The folder itself, held open.
    NativeHandle handle() const { return Held.back(); }

    enum class Entry { None, File, Folder };
    // What is at name: a link counts as a file whether it leads anywhere or not.
    Entry entryAt(const QString &name) const;

    // Whether new files can still be made here: false once the folder was removed
    // or turned read-only. Windows holds the folder against removal; there only
    // making a file tells.
    bool takesFiles() const;

    // The names part files of this program take: a fixed prefix and suffix.
    static bool isPartFileName(const QString &name);
    // Removes the part files no live process holds (a writer holds its own until
    // it is renamed or removed); those of a program that crashed. Returns how many.
    int removeStaleParts() const;

private:
    TargetFolder() = default;

    QString Path;
    std::vector<NativeHandle> Held; // from the chosen folder down to this one
};

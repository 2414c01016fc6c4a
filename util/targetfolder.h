#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// A folder held open while files are made in it: names are created, renamed and
// removed relative to the folder itself, so a folder renamed, or replaced by a
// link, while work goes on does not send files elsewhere. (Windows has no such
// handles in its C library; there the folder is its path.)
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

    enum class Entry { None, File, Folder };
    // What is at name: a link counts as a file whether it leads anywhere or not.
    Entry entryAt(const QString &name) const;

    // The names part files of this program take: a fixed prefix and suffix.
    static bool isPartFileName(const QString &name);
    // Removes the part files no live process holds (a writer holds a lock on its
    // own while it writes); those of a program that crashed. Returns how many.
    int removeStaleParts() const;

#ifndef Q_OS_WIN
    int descriptor() const
    {
        return Descriptor;
    }
#endif

private:
    TargetFolder() = default;

    QString Path;
#ifndef Q_OS_WIN
    int Descriptor = -1;
#endif
};

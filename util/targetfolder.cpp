#include "targetfolder.h"

#include "pathutil.h"
#include "targetfolder_p.h"

#include <QRegularExpression>

TargetFolder::~TargetFolder()
{
    for (const NativeHandle folder : Held)
        TargetFolderSys::closeFolder(folder);
}

std::shared_ptr<TargetFolder> TargetFolder::open(const QString &base, const QStringList &levels,
                                                 QString *failedAt)
{
    std::shared_ptr<TargetFolder> folder(new TargetFolder);
    QString path = WithTrailingSeparator(base);
    NativeHandle current = TargetFolderSys::openFolder(path);
    for (qsizetype i = 0; current != NoHandle; ++i) {
        folder->Held.push_back(current);
        if (i == levels.size()) {
            folder->Path = path;
            return folder;
        }
        current = TargetFolderSys::openSubfolder(current, path, levels[i]);
        path += levels[i] + FolderSeparator();
    }
    if (failedAt)
        *failedAt = path;
    return nullptr;
}

TargetFolder::Entry TargetFolder::entryAt(const QString &name) const
{
    return TargetFolderSys::entryAt(handle(), Path, name);
}

bool TargetFolder::takesFiles() const
{
    return TargetFolderSys::takesFiles(handle());
}

bool TargetFolder::isPartFileName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.tunetrawl-[a-z0-9]{8}\\.part$"));
    return pattern.match(name).hasMatch();
}

int TargetFolder::removeStaleParts() const
{
    int removed = 0;
    for (const QString &name : TargetFolderSys::fileNames(handle(), Path)) {
        if (isPartFileName(name) && TargetFolderSys::removeUnlessHeld(handle(), Path, name))
            ++removed;
    }
    return removed;
}

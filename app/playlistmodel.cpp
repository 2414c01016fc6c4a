#include "playlistmodel.h"

#include "framepace.h"
#include "outcomeicon.h"
#include "songlist.h"

#include <algorithm>

PlaylistModel::PlaylistModel(SongList *songs, QObject *parent)
    : QAbstractListModel(parent), Songs(songs)
{
    for (const SongOutcome::Kind kind : {SongOutcome::Kind::Stored, SongOutcome::Kind::Present,
                                         SongOutcome::Kind::Failed, SongOutcome::Kind::NoAddress})
        Icons.insert(int(kind), OutcomeIcon(kind));
    Library = LibraryIcon();
    Blank = BlankOutcomeIcon();
    connect(Songs, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        Top = Bottom = -1;
        Roles.clear();
        beginResetModel();
    });
    connect(Songs, &QAbstractItemModel::modelReset, this, [this] {
        WasDecorated = decorated();
        endResetModel();
    });
    connect(Songs, &QAbstractItemModel::dataChanged, this, &PlaylistModel::songsChanged);
}

void PlaylistModel::setPace(FramePace *pace)
{
    Pace = pace;
    if (!pace)
        tell();
}

void PlaylistModel::songsChanged(const QModelIndex &top, const QModelIndex &bottom,
                                 const QList<int> &roles)
{
    Top = Top < 0 ? top.row() : std::min(Top, top.row());
    Bottom = std::max(Bottom, bottom.row());
    for (const int role : roles) {
        if (!Roles.contains(role))
            Roles.append(role);
    }
    if (Pace)
        Pace->request();
    else
        tell();
}

bool PlaylistModel::tell()
{
    if (Top < 0)
        return false;
    QList<int> roles = std::exchange(Roles, {});
    int top = std::exchange(Top, -1);
    int bottom = std::exchange(Bottom, -1);
    if (roles.contains(SongList::OutcomeRole) || roles.contains(SongList::LibraryPathRole))
        roles.append(Qt::DecorationRole);
    // The first mark gives every row room for one, so the titles stay in line.
    const bool nowDecorated = decorated();
    if (nowDecorated != WasDecorated) {
        WasDecorated = nowDecorated;
        top = 0;
        bottom = rowCount() - 1;
    }
    if (bottom >= top)
        emit dataChanged(index(top), index(bottom), roles);
    return true;
}

bool PlaylistModel::decorated() const
{
    return Songs->anyOutcome() || Songs->anyInLibrary();
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Songs->count();
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Songs->count())
        return {};
    if (role != Qt::DecorationRole)
        return Songs->data(Songs->index(index.row()), role);
    if (!WasDecorated)
        return {};
    if (const SongOutcome *done = Songs->outcome(index.row()))
        return Icons.value(int(done->kind));
    return Songs->libraryPath(index.row()).isEmpty() ? Blank : Library;
}

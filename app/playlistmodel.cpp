#include "playlistmodel.h"

#include <utility>

void PlaylistModel::setSongs(QList<SongEntry> songs)
{
    beginResetModel();
    Songs = std::move(songs);
    endResetModel();
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(Songs.size());
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= Songs.size())
        return {};
    return ListItemText(Songs[index.row()]);
}

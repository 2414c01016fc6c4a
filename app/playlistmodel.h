#pragma once

#include "playlist.h"

#include <QAbstractListModel>
#include <QList>

// The songs of the loaded page as List1 shows them: one line each, position and
// title. Lines are made when the view asks for them, so a page of 32767 songs costs
// its songs and nothing more.
class PlaylistModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setSongs(QList<SongEntry> songs);
    void clear() { setSongs({}); }
    const QList<SongEntry> &songs() const { return Songs; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<SongEntry> Songs;
};

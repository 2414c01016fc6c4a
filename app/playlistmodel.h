#pragma once

#include "playlist.h"
#include "songoutcome.h"

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QList>

// The songs of the loaded page as List1 shows them: one line each, position and
// title, and after a run each song's outcome as a mark with its reason as the
// tip. Lines are made when the view asks for them, so a page of 32767 songs costs
// its songs and nothing more.
class PlaylistModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit PlaylistModel(QObject *parent = nullptr);

    void setSongs(QList<SongEntry> songs);
    void clear() { setSongs({}); }
    const QList<SongEntry> &songs() const { return Songs; }

    // How the last run left rows; forgotten with the list and by clearOutcomes().
    // One change for all of them, so the list repaints once.
    void setOutcomes(const QList<QPair<int, SongOutcome>> &outcomes);
    void clearOutcomes();
    const SongOutcome *outcome(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<SongEntry> Songs;
    QHash<int, SongOutcome> Outcomes;
    QHash<int, QIcon> Icons; // by kind
    QIcon Blank;
};

#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QList>

class FramePace;
class SongList;

// The workflow's songs as List1 shows them: one line each, position and title,
// with a mark for how the last run left the song, or for a song the library
// holds already, and the reason or the file's path as the tip; while a run
// fetches a song, how far it has come (SongList::TransferRole). Lines are made
// when the view asks for them, so a page of 32767 songs costs its songs and
// nothing more. While paced (during a run), what changes waits for the
// window's frame, so a run of quick songs repaints the list once a frame, in
// the same frame as the rest of the window.
class PlaylistModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit PlaylistModel(SongList *songs, QObject *parent = nullptr);

    SongList *songs() const { return Songs; }
    // With a pace, changes ask it for a frame and wait for tell(); without one
    // they are told at once (what waits, too).
    void setPace(FramePace *pace);
    // Tells the view what changed since the last time; false when nothing did.
    bool tell();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void songsChanged(const QModelIndex &top, const QModelIndex &bottom, const QList<int> &roles);
    bool decorated() const;

    SongList *Songs;
    FramePace *Pace = nullptr;
    bool WasDecorated = false;
    int Top = -1, Bottom = -1; // what waits to be told
    QList<int> Roles;
    QHash<int, QIcon> Icons; // by outcome
    QIcon Library;
    QIcon Blank;
};

#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QList>

class FramePace;
class SongList;

// The workflow's songs as List1 shows them: one line each, position and title,
// with a mark for how the last run left the song, or for a song the library
// holds already, and the reason or the file's path as the tip. Lines are made
// when the view asks for them, so a page of 32767 songs costs its songs and
// nothing more. While paced (during a run), what changes reaches the view at
// most once a frame, so a run of quick songs repaints the list once a frame.
class PlaylistModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit PlaylistModel(SongList *songs, QObject *parent = nullptr);

    SongList *songs() const { return Songs; }
    // Off tells what waits at once.
    void setPaced(bool paced);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void songsChanged(const QModelIndex &top, const QModelIndex &bottom, const QList<int> &roles);
    bool tell();
    bool decorated() const;

    SongList *Songs;
    FramePace *Pace;
    bool Paced = false;
    bool WasDecorated = false;
    int Top = -1, Bottom = -1; // what waits to be told
    QList<int> Roles;
    QHash<int, QIcon> Icons; // by outcome
    QIcon Library;
    QIcon Blank;
};

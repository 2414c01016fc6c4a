#pragma once

#include <QObject>

class PlaylistModel;
class QItemSelection;
class QItemSelectionModel;

// The songs' marks shown as List1's selection. The marks live in the song list;
// what the user selects or unselects goes there, and what changes there (told
// through the list's view model, so at most once a frame during a run) is
// shown as the selection. Either way only rows whose two states differ change,
// so nothing echoes back.
class MarkSelection : public QObject
{
public:
    MarkSelection(PlaylistModel *model, QItemSelectionModel *selection, QObject *parent);

private:
    void show(int top, int bottom);
    void take(const QItemSelection &selected, const QItemSelection &deselected);

    PlaylistModel *Model;
    QItemSelectionModel *Selection;
};

#include "markselection.h"

#include "playlistmodel.h"
#include "songlist.h"

#include <QItemSelectionModel>

MarkSelection::MarkSelection(PlaylistModel *model, QItemSelectionModel *selection, QObject *parent)
    : QObject(parent), Model(model), Selection(selection)
{
    connect(Model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &top, const QModelIndex &bottom, const QList<int> &roles) {
                if (roles.contains(SongList::MarkRole))
                    show(top.row(), bottom.row());
            });
    connect(Selection, &QItemSelectionModel::selectionChanged, this, &MarkSelection::take);
}

void MarkSelection::show(int top, int bottom)
{
    const SongList *songs = Model->songs();
    QItemSelection select, deselect;
    // Runs of rows to change, one range each.
    int start = -1;
    bool marking = false;
    const auto close = [&](int end) {
        if (start < 0)
            return;
        (marking ? select : deselect).select(Model->index(start), Model->index(end));
        start = -1;
    };
    for (int row = top; row <= bottom && row < songs->count(); ++row) {
        const bool marked = songs->isMarked(row);
        const bool differs = marked != Selection->isRowSelected(row);
        if (start >= 0 && (!differs || marked != marking))
            close(row - 1);
        if (differs && start < 0) {
            start = row;
            marking = marked;
        }
    }
    close(std::min(bottom, songs->count() - 1));
    // One change each way, so one repaint of the list and one List1 Click.
    if (!deselect.isEmpty())
        Selection->select(deselect, QItemSelectionModel::Deselect);
    if (!select.isEmpty())
        Selection->select(select, QItemSelectionModel::Select);
}

void MarkSelection::take(const QItemSelection &selected, const QItemSelection &deselected)
{
    SongList *songs = Model->songs();
    for (const QItemSelectionRange &range : selected)
        songs->setMarkedRange(range.top(), range.bottom(), true);
    for (const QItemSelectionRange &range : deselected)
        songs->setMarkedRange(range.top(), range.bottom(), false);
}

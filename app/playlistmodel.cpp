#include "playlistmodel.h"

#include "outcomeicon.h"

#include <utility>

using namespace Qt::StringLiterals;

PlaylistModel::PlaylistModel(QObject *parent) : QAbstractListModel(parent)
{
    for (const SongOutcome::Kind kind : {SongOutcome::Kind::Stored, SongOutcome::Kind::Present,
                                         SongOutcome::Kind::Failed, SongOutcome::Kind::NoAddress})
        Icons.insert(int(kind), OutcomeIcon(kind));
    Blank = BlankOutcomeIcon();
}

void PlaylistModel::setSongs(QList<SongEntry> songs)
{
    beginResetModel();
    Songs = std::move(songs);
    Outcomes.clear();
    endResetModel();
}

void PlaylistModel::setOutcomes(const QList<QPair<int, SongOutcome>> &outcomes)
{
    const bool first = Outcomes.isEmpty();
    int top = int(Songs.size()), bottom = -1;
    for (const auto &[row, outcome] : outcomes) {
        if (row < 0 || row >= Songs.size())
            continue;
        Outcomes.insert(row, outcome);
        top = qMin(top, row);
        bottom = qMax(bottom, row);
    }
    if (bottom < 0)
        return;
    // The first mark gives every row room for one, so the titles stay in line.
    if (first)
        emit dataChanged(index(0), index(int(Songs.size()) - 1), {Qt::DecorationRole});
    else
        emit dataChanged(index(top), index(bottom), {Qt::DecorationRole, Qt::ToolTipRole});
}

void PlaylistModel::clearOutcomes()
{
    if (Outcomes.isEmpty())
        return;
    Outcomes.clear();
    emit dataChanged(index(0), index(int(Songs.size()) - 1), {Qt::DecorationRole, Qt::ToolTipRole});
}

const SongOutcome *PlaylistModel::outcome(int row) const
{
    const auto it = Outcomes.constFind(row);
    return it == Outcomes.cend() ? nullptr : &*it;
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(Songs.size());
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Songs.size())
        return {};
    const SongOutcome *done = outcome(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return ListItemText(Songs[index.row()]);
    case Qt::DecorationRole:
        if (Outcomes.isEmpty())
            return {};
        return done ? Icons.value(int(done->kind)) : Blank;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (!done)
            return {};
        return done->kind == SongOutcome::Kind::Stored ? u"Скачано"_s : done->reason;
    default:
        return {};
    }
}

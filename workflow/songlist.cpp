#include "songlist.h"

#include "sizetext.h"
#include "songlibrary.h"

#include <algorithm>

using namespace Qt::StringLiterals;

SongList::SongList(QObject *parent) : QAbstractListModel(parent) {}

void SongList::setSongs(QList<SongEntry> songs)
{
    beginResetModel();
    Rows.clear();
    Rows.reserve(songs.size());
    for (SongEntry &song : songs)
        Rows.append({std::move(song), false, std::nullopt, {}, {}});
    First = Next;
    Next += SongId(Rows.size());
    Marked = 0;
    Outcomes = 0;
    InLibrary = 0;
    Transfers = 0;
    KeyRows.clear();
    endResetModel();
}

int SongList::rowOf(SongId id) const
{
    // Rows never move, so a song's row follows from its id.
    return id >= First && id - First < SongId(Rows.size()) ? int(id - First) : -1;
}

QList<IdentifiedSong> SongList::identified() const
{
    QList<IdentifiedSong> songs;
    songs.reserve(Rows.size());
    for (int row = 0; row < count(); ++row)
        songs.append({id(row), Rows[row].song});
    return songs;
}

bool SongList::isMarked(SongId id) const
{
    const int row = rowOf(id);
    return row >= 0 && Rows[row].marked;
}

template<typename Wanted> void SongList::remark(int first, int last, Wanted wanted)
{
    first = std::max(first, 0);
    last = std::min(last, count() - 1);
    int top = -1, bottom = -1;
    for (int row = first; row <= last; ++row) {
        const bool mark = wanted(row);
        if (Rows[row].marked == mark)
            continue;
        Rows[row].marked = mark;
        Marked += mark ? 1 : -1;
        top = top < 0 ? row : top;
        bottom = row;
    }
    if (top >= 0)
        changed(top, bottom, {MarkRole});
}

void SongList::setMarked(int row, bool marked)
{
    setMarkedRange(row, row, marked);
}

void SongList::setMarkedRange(int first, int last, bool marked)
{
    remark(first, last, [marked](int) { return marked; });
}

void SongList::markAll()
{
    setMarkedRange(0, count() - 1, true);
}

void SongList::markNone()
{
    setMarkedRange(0, count() - 1, false);
}

void SongList::markFailed()
{
    remark(0, count() - 1, [this](int row) {
        const std::optional<SongOutcome> &done = Rows[row].outcome;
        return Rows[row].marked || (done && done->kind == SongOutcome::Kind::Failed);
    });
}

void SongList::markOnlyNew()
{
    remark(0, count() - 1, [this](int row) {
        return !Rows[row].song.url.isEmpty() && Rows[row].libraryPath.isEmpty();
    });
}

bool SongList::anyFailed() const
{
    return std::any_of(Rows.begin(), Rows.end(), [](const Row &row) {
        return row.outcome && row.outcome->kind == SongOutcome::Kind::Failed;
    });
}

const SongOutcome *SongList::outcome(int row) const
{
    const std::optional<SongOutcome> &done = Rows.at(row).outcome;
    return done ? &*done : nullptr;
}

void SongList::setOutcome(SongId id, const SongOutcome &outcome)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    Outcomes += Rows[row].outcome ? 0 : 1;
    Rows[row].outcome = outcome;
    Transfers -= Rows[row].transfer.isEmpty() ? 0 : 1;
    Rows[row].transfer.clear();
    changed(row, row, {OutcomeRole, TransferRole, Qt::ToolTipRole});
}

void SongList::setTransfer(SongId id, qint64 bytes, qint64 length)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    const QString text =
        length > 0 ? QString::number(std::clamp<qint64>(bytes * 100 / length, 0, 100)) + u'%'
                   : SizeText(bytes);
    QString &shown = Rows[row].transfer;
    if (text == shown)
        return;
    Transfers += shown.isEmpty() ? 1 : 0;
    shown = text;
    changed(row, row, {TransferRole});
}

void SongList::clearTransfers()
{
    if (Transfers == 0)
        return;
    int top = -1, bottom = -1;
    for (int row = 0; row < count(); ++row) {
        if (Rows[row].transfer.isEmpty())
            continue;
        Rows[row].transfer.clear();
        top = top < 0 ? row : top;
        bottom = row;
    }
    Transfers = 0;
    changed(top, bottom, {TransferRole});
}

void SongList::clearOutcomes()
{
    if (Outcomes == 0)
        return;
    for (Row &row : Rows)
        row.outcome.reset();
    Outcomes = 0;
    changed(0, count() - 1, {OutcomeRole, Qt::ToolTipRole});
}

void SongList::setLibrary(const SongLibrary &library)
{
    int top = -1, bottom = -1;
    for (int row = 0; row < count(); ++row) {
        const QString path = library.find(Rows[row].song);
        if (path == Rows[row].libraryPath)
            continue;
        setLibraryPath(row, path);
        top = top < 0 ? row : top;
        bottom = row;
    }
    if (top >= 0)
        changed(top, bottom, {LibraryPathRole, Qt::ToolTipRole});
}

void SongList::addToLibrary(SongId id, const QString &path)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    int top = -1, bottom = -1;
    const auto set = [&](int r) {
        setLibraryPath(r, path);
        top = top < 0 ? r : std::min(top, r);
        bottom = std::max(bottom, r);
    };
    if (Rows[row].libraryPath != path)
        set(row);
    for (const int other : rowsByKey().value(SongLibrary::keyOf(Rows[row].song))) {
        if (Rows[other].libraryPath.isEmpty())
            set(other);
    }
    if (top >= 0)
        changed(top, bottom, {LibraryPathRole, Qt::ToolTipRole});
}

void SongList::setLibraryPath(int row, const QString &path)
{
    InLibrary += (path.isEmpty() ? 0 : 1) - (Rows[row].libraryPath.isEmpty() ? 0 : 1);
    Rows[row].libraryPath = path;
}

const QHash<QString, QList<int>> &SongList::rowsByKey()
{
    if (KeyRows.isEmpty()) {
        for (int row = 0; row < count(); ++row)
            KeyRows[SongLibrary::keyOf(Rows[row].song)].append(row);
    }
    return KeyRows;
}

void SongList::changed(int first, int last, const QList<int> &roles)
{
    if (first <= last)
        emit dataChanged(index(first), index(last), roles);
}

int SongList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SongList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const Row &row = Rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return ListItemText(row.song);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        // How the run left it says more than where an older copy lies.
        if (row.outcome) {
            const SongOutcome &done = *row.outcome;
            // A song that took more than one request says so: the link is worth a look.
            const QString tries = done.tries > 1 ? u", попыток: %1"_s.arg(done.tries) : QString();
            if (done.kind != SongOutcome::Kind::Stored)
                return done.reason + tries;
            return (done.bytes >= 0 ? u"Скачано, "_s + SizeText(done.bytes) : u"Скачано"_s) + tries;
        }
        if (!row.libraryPath.isEmpty())
            return u"Уже есть: "_s + row.libraryPath;
        return {};
    case MarkRole:
        return row.marked;
    case OutcomeRole:
        return row.outcome ? int(row.outcome->kind) : -1;
    case LibraryPathRole:
        return row.libraryPath;
    case IdRole:
        return QVariant::fromValue(id(index.row()));
    case TransferRole:
        return row.transfer;
    default:
        return {};
    }
}

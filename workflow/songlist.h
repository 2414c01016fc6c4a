#pragma once

#include "songid.h"
#include "songoutcome.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class SongLibrary;

// The songs of the loaded page: per row the song, its mark, how the last run left
// it (with the reason) and where the library already holds its file. Rows keep
// page order; each song has an id the run refers to. Every change is announced
// at once as dataChanged with the roles it touched.
class SongList : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        MarkRole = Qt::UserRole + 1, // bool
        OutcomeRole,                 // int(SongOutcome::Kind), or -1 before a run reached it
        LibraryPathRole,             // QString, "" when the library has no file of the song
        IdRole,                      // SongId
        TransferRole,                // QString: how far its fetch is, "" when not in flight
    };

    explicit SongList(QObject *parent = nullptr);

    // A new list: new ids, nothing marked, no outcomes, nothing known of the library.
    void setSongs(QList<SongEntry> songs);
    void clear() { setSongs({}); }

    int count() const { return int(Rows.size()); }
    const SongEntry &song(int row) const { return Rows.at(row).song; }
    SongId id(int row) const { return First + SongId(row); }
    // -1 for an id this list does not hold.
    int rowOf(SongId id) const;
    QList<IdentifiedSong> identified() const;

    bool isMarked(int row) const { return Rows.at(row).marked; }
    bool isMarked(SongId id) const;
    void setMarked(int row, bool marked);
    // Rows first to last, both included, marked or not, as one change.
    void setMarkedRange(int first, int last, bool marked);
    int markedCount() const { return Marked; }
    void markAll();
    void markNone();
    // Marks the songs the last run failed; the others keep their marks.
    void markFailed();
    // Marks every song with an address whose file the library does not hold, and
    // only those.
    void markOnlyNew();
    bool anyFailed() const;
    bool anyInLibrary() const { return InLibrary > 0; }

    const SongOutcome *outcome(int row) const;
    void setOutcome(SongId id, const SongOutcome &outcome);
    void clearOutcomes();
    // How much of the song's body has come (length -1 when not known): a percent,
    // else a size. Told only when the text changes; an outcome clears it.
    void setTransfer(SongId id, qint64 bytes, qint64 length);
    void clearTransfers();
    bool anyOutcome() const { return Outcomes > 0; }

    QString libraryPath(int row) const { return Rows.at(row).libraryPath; }
    // Where the library holds each song's file, from a scan made for this list.
    void setLibrary(const SongLibrary &library);
    // The song's file is at path now: so is every other song's of the same file
    // name without a number that the library had no file of.
    void addToLibrary(SongId id, const QString &path);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        SongEntry song;
        bool marked = false;
        std::optional<SongOutcome> outcome;
        QString libraryPath;
        QString transfer;
    };

    // Sets the marks of rows first to last to wanted(row); one change for all.
    template<typename Wanted> void remark(int first, int last, Wanted wanted);
    void setLibraryPath(int row, const QString &path);
    // The rows of each library key, made when first needed.
    const QHash<QString, QList<int>> &rowsByKey();
    void changed(int first, int last, const QList<int> &roles);

    QList<Row> Rows;
    SongId First = 1; // the id of row 0
    SongId Next = 1;  // the first id no list has had
    int Marked = 0;
    int Outcomes = 0;
    int Transfers = 0; // rows with a transfer text
    int InLibrary = 0; // rows with a library path
    QHash<QString, QList<int>> KeyRows;
};

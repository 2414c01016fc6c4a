#include "mainwindow.h"

#include "check.h"
#include "commitqueue.h"
#include "datetext.h"
#include "g.h"
#include "partfile.h"
#include "playlistmodel.h"
#include "runreport.h"
#include "songfiles.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One level, as the run always made them; false when it is not there afterwards.
bool MakeFolder(const QString &folder)
{
    return QFileInfo(folder).isDir() || QDir().mkdir(folder);
}

enum class Entry { None, Song, NotASong };

// Anything at the path, a link that leads nowhere included, is taken as the song
// already there; a folder is no song.
Entry EntryAt(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return Entry::Song;
    if (!info.exists())
        return Entry::None;
    return info.isDir() ? Entry::NotASong : Entry::Song;
}

// Only a whole, successful, non-empty body is a song.
bool IsStorableSong(const ResponseSummary &response)
{
    return response.success() && response.whole() && response.BodySize > 0;
}

} // namespace

void Main::DownloadSelected()
{
    QString folder = StationFolder(Text2->text(), Combo1->currentText());
    if (Check3->Value() && MakeFolder(folder))
        folder = DateFolder(folder, TodayText());
    if (!MakeFolder(folder)) {
        FinishWork(u"Не удалось создать каталог "_s + QDir::toNativeSeparators(folder));
        return;
    }

    // The list is looked at anew after every wait: handlers run inside it.
    const quint64 generation = playlistGeneration;
    RunTally tally;
    // Whole songs reach the disk while the next ones are fetched; leaving early,
    // the queue lets the songs it holds finish.
    CommitQueue commits;
    const auto takeCommitted = [&] {
        for (const CommitQueue::Finished &done : commits.takeFinished()) {
            if (done.result == PartFile::Commit::Failed) {
                ++tally.failed;
                continue;
            }
            tally.stored += done.result == PartFile::Commit::Done ? 1 : 0;
            if (generation == playlistGeneration)
                ShowSongDone(done.tag);
        }
    };
    for (int row = 0; row < SongCount(); ++row) {
        takeCommitted();
        if (stopRequested || generation != playlistGeneration)
            break;
        const SongEntry song = Songs().at(row);
        if (song.url.isEmpty() || !IsMarked(row))
            continue;
        ++tally.marked;
        const QString path = folder + SongFileName(song, Check2->Value());
        // A song of the same name still on its way to the disk is there already.
        commits.waitFor(path);
        if (closing)
            return;
        if (stopRequested || generation != playlistGeneration)
            break;
        switch (EntryAt(path)) {
        case Entry::Song:
            ShowSongDone(row);
            continue;
        case Entry::NotASong:
            ++tally.failed;
            continue;
        case Entry::None:
            break;
        }

        ShowCurrentSong(row);
        ShowStatus(u"Скачивание "_s + song.title.left(36) + u"..."_s);
        auto part = std::make_unique<PartFile>(folder);
        if (!part->open()) {
            ++tally.failed;
            continue;
        }
        QString url = song.url;
        const ResponseSummary response = G->RetStream(url, *part);
        if (closing)
            return;
        if (stopRequested || generation != playlistGeneration)
            break; // the song in flight goes with its part file
        if (!IsStorableSong(response)) {
            ++tally.failed;
            continue;
        }
        commits.commit(std::move(part), path, row);
        if (closing)
            return;
    }
    commits.waitForAll();
    if (closing)
        return;
    takeCommitted();
    tally.stopped = stopRequested || generation != playlistGeneration;
    FinishWork(RunReport(tally));
}

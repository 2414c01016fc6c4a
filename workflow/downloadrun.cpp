#include "downloadrun.h"

#include "commitqueue.h"
#include "partfile.h"
#include "songfiles.h"
#include "targetfolder.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

DownloadRun::DownloadRun(QList<SongEntry> songs, const Marks *marks, HttpSession *session,
                         QObject *parent)
    : QObject(parent), Songs(std::move(songs)), MarksSource(marks), Session(session),
      Commits(new CommitQueue(8, this))
{
    // One thread: part files are made one after another, in the order asked.
    FileThread.setMaxThreadCount(1);
    connect(Commits, &CommitQueue::committed, this,
            [this](int row, PartFile::Commit result) { committed(row, int(result)); });
}

DownloadRun::~DownloadRun()
{
    // Whatever the file thread still makes is handed to events dropped with this
    // object, and so removed.
    FileThread.waitForDone();
    for (const std::unique_ptr<Slot> &slot : Slots) {
        if (slot->exchange)
            slot->exchange->disconnect(this);
    }
}

void DownloadRun::start(const Settings &settings)
{
    if (Current != State::Idle)
        return;
    Options = settings;
    Options.parallel = std::clamp(Options.parallel, 1, MaxParallel);
    Current = State::Preparing;
    CountedMarked.resize(Songs.size());
    for (qsizetype row = 0; row < Songs.size(); ++row) {
        CountedMarked[row] = !Songs[row].url.isEmpty() && MarksSource->isMarked(int(row));
        Total += CountedMarked[row] ? 1 : 0;
    }
    for (int i = 0; i < Options.parallel; ++i) {
        auto slot = std::make_unique<Slot>();
        Slot *s = slot.get();
        s->exchange = new Exchange(Session, this);
        s->exchange->setTimings(Options.timings);
        connect(s->exchange, &Exchange::finished, this, [this, s] { fetched(s); });
        connect(s->exchange, &Exchange::lightChanged, this, &DownloadRun::lightChanged);
        connect(s->exchange, &Exchange::progress, this,
                [this, s](qint64 received, qint64 head, qint64 length) {
                    s->fraction = std::clamp(double(received - head) / double(length), 0.0, 1.0);
                    updateProgress();
                });
        Slots.push_back(std::move(slot));
    }
    // The folders are made, opened and cleared of a crashed run's leftovers off
    // the window's thread.
    FileThread.start([this, base = Options.chosenFolder, levels = Options.subfolders] {
        QString failedAt;
        std::shared_ptr<TargetFolder> folder = TargetFolder::open(base, levels, &failedAt);
        if (folder)
            folder->removeStaleParts();
        QMetaObject::invokeMethod(
            this, [this, folder, failedAt] { folderReady(folder, failedAt); },
            Qt::QueuedConnection);
    });
}

void DownloadRun::folderReady(std::shared_ptr<TargetFolder> folder, const QString &failedAt)
{
    if (Current != State::Preparing)
        return; // stopped meanwhile, and finished then

    if (!folder) {
        FailedAt = failedAt;
        Current = State::Finished;
        emit finished(Tally, FailedAt);
        return;
    }
    Folder = std::move(folder);
    Current = State::Running;
    advance();
}

void DownloadRun::stop()
{
    if (Current != State::Preparing && Current != State::Running)
        return;
    Current = State::Stopping;
    Tally.stopped = true;
    for (Slot *slot : std::exchange(WaitingForParts, {}))
        release(slot);
    for (const std::unique_ptr<Slot> &slot : Slots) {
        if (slot->exchange->isRunning())
            slot->exchange->abort(); // its part file goes in fetched()
    }
    finishIfDone();
}

bool DownloadRun::nameBusy(const QString &name) const
{
    if (Commits->holds(name))
        return true;
    return std::any_of(Slots.begin(), Slots.end(), [&name](const std::unique_ptr<Slot> &slot) {
        return slot->row >= 0 && slot->name == name;
    });
}

void DownloadRun::advance()
{
    if (Current != State::Running || Advancing)
        return;
    Advancing = true;
    while (Current == State::Running && NextRow < Songs.size()) {
        const auto free = std::find_if(Slots.begin(), Slots.end(),
                                       [](const std::unique_ptr<Slot> &s) { return s->row < 0; });
        if (free == Slots.end())
            break;
        const int row = NextRow;
        const SongEntry &song = Songs.at(row);
        // Marks are read when the run reaches a song, so changes made while it
        // runs count for the songs not reached yet.
        const bool marked = MarksSource->isMarked(row);
        if (!marked || song.url.isEmpty()) {
            Total -= CountedMarked[row] ? 1 : 0;
            ++NextRow;
            if (marked)
                report(row, SongOutcome::noAddress());
            continue;
        }
        const QString name = SongFileName(song, MarksSource->noNumbers());
        // The song of the same name goes first: once it is done, this one finds it.
        if (nameBusy(name))
            break;
        ++NextRow;
        Total += CountedMarked[row] ? 0 : 1;
        ++Tally.marked;
        const int ordinal = ++Reached;
        switch (Folder->entryAt(name)) {
        case TargetFolder::Entry::File:
            report(row, SongOutcome::present());
            continue;
        case TargetFolder::Entry::Folder:
            report(row, SongOutcome::failed(u"На месте файла папка"_s));
            continue;
        case TargetFolder::Entry::None:
            break;
        }
        Slot *slot = free->get();
        slot->row = row;
        slot->name = name;
        slot->fraction = 0;
        Peak = std::max(Peak, int(std::count_if(Slots.begin(), Slots.end(),
                                                [](const auto &s) { return s->row >= 0; })));
        emit songStarted(row, ordinal, Total);
        if (ReadyParts.isEmpty()) {
            WaitingForParts.append(slot);
        } else {
            fetch(slot, ReadyParts.takeFirst());
        }
        orderParts();
    }
    Advancing = false;
    updateProgress();
    finishIfDone();
}

void DownloadRun::orderParts()
{
    // Once a song needed one, part files are made ahead, one for each song that
    // may go at once, so the next songs need not wait for the disk to start.
    while (Current == State::Running &&
           ReadyParts.size() + PartsOrdered < Options.parallel + WaitingForParts.size()) {
        ++PartsOrdered;
        FileThread.start([this, folder = Folder] {
            auto part = std::make_shared<PartFile>(folder);
            if (!part->open())
                part.reset();
            QMetaObject::invokeMethod(
                this, [this, part] { partMade(part); }, Qt::QueuedConnection);
        });
    }
}

void DownloadRun::partMade(std::shared_ptr<PartFile> part)
{
    --PartsOrdered;
    if (Current != State::Running) {
        part.reset(); // a stopped run leaves nothing
        finishIfDone();
        return;
    }
    if (WaitingForParts.isEmpty()) {
        if (part)
            ReadyParts.append(std::move(part));
        finishIfDone();
        return;
    }
    Slot *slot = WaitingForParts.takeFirst();
    if (!part) {
        const int row = slot->row;
        release(slot);
        report(row, SongOutcome::failed(u"Не удалось создать файл"_s));
        advance();
        return;
    }
    fetch(slot, std::move(part));
}

void DownloadRun::fetch(Slot *slot, std::shared_ptr<PartFile> part)
{
    slot->part = std::move(part);
    // May end at once (an address that cannot be sent): fetched() has run then.
    slot->exchange->start({Songs.at(slot->row).url, 1, {}, false}, slot->part.get(),
                          ResponseReader::Keep::BodyOnly);
}

void DownloadRun::fetched(Slot *slot)
{
    std::shared_ptr<PartFile> part = std::move(slot->part);
    const int row = slot->row;
    const QString name = slot->name;
    if (Current != State::Running) {
        part.reset(); // a stopped song leaves nothing
        release(slot);
        finishIfDone();
        return;
    }
    const Exchange *exchange = slot->exchange;
    const std::optional<SongOutcome> failure =
        SongOutcome::ofFetch(exchange->outcome(), exchange->failure(), exchange->summary());
    // Handed on before the slot is free, so the name stays taken until committed.
    if (!failure)
        Commits->commit(std::move(part), name, row);
    release(slot);
    if (failure) {
        part.reset();
        report(row, *failure);
    }
    advance();
}

void DownloadRun::committed(int row, int result)
{
    switch (PartFile::Commit(result)) {
    case PartFile::Commit::Done:
        report(row, SongOutcome::stored());
        break;
    case PartFile::Commit::Present:
        report(row, SongOutcome::present()); // it appeared while this one came
        break;
    case PartFile::Commit::Failed:
        report(row, SongOutcome::failed(u"Не удалось записать файл"_s));
        break;
    }
    advance();
    finishIfDone();
}

void DownloadRun::release(Slot *slot)
{
    slot->row = -1;
    slot->name.clear();
    slot->fraction = 0;
}

void DownloadRun::report(int row, const SongOutcome &outcome)
{
    switch (outcome.kind) {
    case SongOutcome::Kind::Stored:
        ++Tally.stored;
        ++Done;
        break;
    case SongOutcome::Kind::Present:
        ++Done;
        break;
    case SongOutcome::Kind::Failed:
        ++Tally.failed;
        ++Done;
        break;
    case SongOutcome::Kind::NoAddress:
        break;
    }
    emit songFinished(row, outcome);
    updateProgress();
}

void DownloadRun::updateProgress()
{
    double done = Done;
    for (const std::unique_ptr<Slot> &slot : Slots)
        done += slot->row >= 0 ? slot->fraction : 0;
    const int percent =
        Total > 0 ? std::clamp(int(std::floor(100.0 * done / double(Total))), 0, 100) : 0;
    if (percent == ShownPercent)
        return;
    ShownPercent = percent;
    emit progressChanged(percent);
}

void DownloadRun::finishIfDone()
{
    if (Current != State::Running && Current != State::Stopping)
        return;
    const bool idle = std::all_of(Slots.begin(), Slots.end(),
                                  [](const std::unique_ptr<Slot> &s) { return s->row < 0; });
    // Part files still being made are waited for, so none is left once it ends.
    if (!idle || Commits->pending() > 0 || PartsOrdered > 0)
        return;
    if (Current == State::Running && NextRow < Songs.size())
        return;
    Current = State::Finished;
    ReadyParts.clear(); // unused ones go
    emit finished(Tally, FailedAt);
}

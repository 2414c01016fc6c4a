#include "downloadrun.h"

#include "commitqueue.h"
#include "filenamerules.h"
#include "partfile.h"
#include "targetfolder.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

DownloadRun::DownloadRun(QList<IdentifiedSong> songs, const Marks *marks, HttpSession *session,
                         QObject *parent)
    : QObject(parent), Order(std::move(songs), marks), Session(session),
      Commits(new CommitQueue(8, this))
{
    // One thread: part files are made one after another, in the order asked.
    FileThread.setMaxThreadCount(1);
    connect(Commits, &CommitQueue::committed, this,
            [this](int tag, PartFile::Commit result) { committed(tag, int(result)); });
}

DownloadRun::~DownloadRun()
{
    // Whatever the file thread still makes is handed to events dropped with this
    // object, and so removed.
    FileThread.waitForDone();
    for (Exchange *exchange : std::as_const(Exchanges))
        exchange->disconnect(this);
}

QString DownloadRun::folderPath() const
{
    return Folder ? Folder->path() : QString();
}

void DownloadRun::start(const Settings &settings)
{
    if (Current != State::Idle)
        return;
    Options = settings;
    Options.parallel = std::clamp(Options.parallel, 1, MaxParallel);
    Current = State::Preparing;
    Order.begin();
    for (int i = 0; i < Options.parallel; ++i) {
        auto *exchange = new Exchange(Session, this);
        exchange->setTimings(Options.timings);
        // From the event loop: an exchange that ends inside its start (an address
        // that cannot be sent) does not end its song inside advance().
        connect(
            exchange, &Exchange::finished, this, [this, exchange] { fetched(exchange); },
            Qt::QueuedConnection);
        connect(exchange, &Exchange::lightChanged, this, &DownloadRun::lightChanged);
        connect(exchange, &Exchange::progress, this,
                [this, exchange](qint64 received, qint64 head, qint64 length) {
                    if (Transfer *transfer = holding(exchange)) {
                        transfer->fraction =
                            std::clamp(double(received - head) / double(length), 0.0, 1.0);
                        updateProgress();
                    }
                });
        connect(exchange, &Exchange::bodyProgress, this,
                [this, exchange](qint64 bytes, qint64 length) {
                    if (Transfer *transfer = holding(exchange))
                        emit songProgress(transfer->song, bytes, length);
                });
        Exchanges.append(exchange);
    }
    FreeExchanges = Exchanges;
    // The folders are made, opened and cleared of a crashed run's leftovers off
    // the caller's thread.
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
    std::vector<Transfer *> ending;
    for (const std::unique_ptr<Transfer> &transfer : Transfers)
        ending.push_back(transfer.get());
    for (Transfer *transfer : ending) {
        if (transfer->step == Transfer::Step::WaitingForPart)
            end(transfer);
        else if (transfer->step == Transfer::Step::Fetching)
            transfer->exchange->abort(); // its part file goes in fetched()
    }
    finishIfDone();
}

bool DownloadRun::nameBusy(const QString &name) const
{
    return std::any_of(Transfers.begin(), Transfers.end(),
                       [&name](const std::unique_ptr<Transfer> &t) { return t->name == name; });
}

void DownloadRun::advance()
{
    while (Current == State::Running && !FreeExchanges.isEmpty()) {
        const RunOrder::Step step =
            Order.next([this](const QString &name) { return nameBusy(name); });
        if (step.kind == RunOrder::Step::Kind::End || step.kind == RunOrder::Step::Kind::Wait)
            break;
        const SongId song = Order.song(step.index).id;
        if (step.kind == RunOrder::Step::Kind::NoAddress) {
            report(song, SongOutcome::noAddress(), {});
            continue;
        }
        ++Tally.marked;
        // A device name would open the device, not a file: no file can have it.
        if (FileNameRules::isReserved(step.name)) {
            report(song, SongOutcome::failed(u"Система не допускает такое имя файла"_s), step.name);
            continue;
        }
        switch (Folder->entryAt(step.name)) {
        case TargetFolder::Entry::File:
            report(song, SongOutcome::present(), step.name);
            continue;
        case TargetFolder::Entry::Folder:
            report(song, SongOutcome::failed(u"На месте файла папка"_s), step.name);
            continue;
        case TargetFolder::Entry::None:
            break;
        }
        begin(step, FreeExchanges.takeFirst());
    }
    updateProgress();
    finishIfDone();
}

void DownloadRun::begin(const RunOrder::Step &step, Exchange *exchange)
{
    auto transfer = std::make_unique<Transfer>();
    transfer->song = Order.song(step.index).id;
    transfer->index = step.index;
    transfer->name = step.name;
    transfer->exchange = exchange;
    Transfer *t = transfer.get();
    Transfers.push_back(std::move(transfer));
    Peak = std::max(Peak, int(Exchanges.size() - FreeExchanges.size()));
    emit songStarted(t->song, step.ordinal, Order.total());
    if (Current != State::Running)
        return; // stopped from a handler: stop() has ended it
    if (!ReadyParts.isEmpty())
        fetch(t, ReadyParts.takeFirst());
    orderParts();
}

int DownloadRun::waitingForParts() const
{
    return int(std::count_if(Transfers.begin(), Transfers.end(), [](const auto &t) {
        return t->step == Transfer::Step::WaitingForPart;
    }));
}

void DownloadRun::orderParts()
{
    // Once a song needed one, part files are made ahead, one for each song that
    // may go at once, so the next songs need not wait for the disk to start.
    while (Current == State::Running &&
           ReadyParts.size() + PartsOrdered < Options.parallel + waitingForParts()) {
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
    const auto waiting = std::find_if(Transfers.begin(), Transfers.end(), [](const auto &t) {
        return t->step == Transfer::Step::WaitingForPart;
    });
    if (waiting == Transfers.end()) {
        if (part)
            ReadyParts.append(std::move(part));
        finishIfDone();
        return;
    }
    Transfer *transfer = waiting->get();
    if (!part) {
        const SongId song = transfer->song;
        const QString name = transfer->name;
        end(transfer);
        report(song, SongOutcome::failed(u"Не удалось создать файл"_s), name);
        advance();
        return;
    }
    fetch(transfer, std::move(part));
}

void DownloadRun::fetch(Transfer *transfer, std::shared_ptr<PartFile> part)
{
    transfer->part = std::move(part);
    transfer->step = Transfer::Step::Fetching;
    transfer->exchange->start({Order.song(transfer->index).song.url, 1, {}, false},
                              transfer->part.get(), ResponseReader::Keep::BodyOnly);
}

void DownloadRun::fetched(Exchange *exchange)
{
    Transfer *transfer = holding(exchange);
    if (!transfer || transfer->step != Transfer::Step::Fetching)
        return;
    std::shared_ptr<PartFile> part = std::move(transfer->part);
    if (Current != State::Running) {
        part.reset(); // a stopped song leaves nothing
        end(transfer);
        finishIfDone();
        return;
    }
    const std::optional<SongOutcome> failure =
        SongOutcome::ofFetch(exchange->outcome(), exchange->failure(), exchange->summary());
    if (failure) {
        const SongId song = transfer->song;
        const QString name = transfer->name;
        part.reset();
        end(transfer);
        report(song, *failure, name);
    } else {
        // The exchange is free for the next song; the name stays taken until committed.
        transfer->step = Transfer::Step::Committing;
        transfer->tag = ++NextTag;
        transfer->fraction = 0;
        transfer->bytes = part->size();
        FreeExchanges.append(std::exchange(transfer->exchange, nullptr));
        Commits->commit(std::move(part), transfer->name, transfer->tag);
    }
    advance();
}

void DownloadRun::committed(int tag, int result)
{
    Transfer *transfer = committing(tag);
    if (!transfer)
        return;
    const SongId song = transfer->song;
    const QString name = transfer->name;
    SongOutcome stored = SongOutcome::stored();
    stored.bytes = transfer->bytes;
    end(transfer);
    switch (PartFile::Commit(result)) {
    case PartFile::Commit::Done:
        report(song, stored, name);
        break;
    case PartFile::Commit::Present:
        report(song, SongOutcome::present(), name); // it appeared while this one came
        break;
    case PartFile::Commit::Failed:
        report(song, SongOutcome::failed(u"Не удалось записать файл"_s), name);
        break;
    }
    advance();
}

DownloadRun::Transfer *DownloadRun::holding(Exchange *exchange) const
{
    for (const std::unique_ptr<Transfer> &transfer : Transfers) {
        if (transfer->exchange == exchange)
            return transfer.get();
    }
    return nullptr;
}

DownloadRun::Transfer *DownloadRun::committing(int tag) const
{
    for (const std::unique_ptr<Transfer> &transfer : Transfers) {
        if (transfer->step == Transfer::Step::Committing && transfer->tag == tag)
            return transfer.get();
    }
    return nullptr;
}

void DownloadRun::end(Transfer *transfer)
{
    if (transfer->exchange)
        FreeExchanges.append(transfer->exchange);
    const auto it = std::find_if(Transfers.begin(), Transfers.end(),
                                 [transfer](const auto &t) { return t.get() == transfer; });
    if (it != Transfers.end())
        Transfers.erase(it);
}

void DownloadRun::report(SongId song, SongOutcome outcome, const QString &name)
{
    outcome.file = name;
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
    emit songFinished(song, outcome);
    updateProgress();
}

void DownloadRun::updateProgress()
{
    double done = Done;
    for (const std::unique_ptr<Transfer> &transfer : Transfers)
        done += transfer->step == Transfer::Step::Fetching ? transfer->fraction : 0;
    const int total = Order.total();
    const int percent =
        total > 0 ? std::clamp(int(std::floor(100.0 * done / double(total))), 0, 100) : 0;
    if (percent == ShownPercent)
        return;
    ShownPercent = percent;
    emit progressChanged(percent);
}

void DownloadRun::finishIfDone()
{
    if (Current != State::Running && Current != State::Stopping)
        return;
    // Part files still being made are waited for, so none is left once it ends.
    if (!Transfers.empty() || PartsOrdered > 0)
        return;
    if (Current == State::Running && !Order.atEnd())
        return;
    Current = State::Finished;
    ReadyParts.clear(); // unused ones go
    emit finished(Tally, FailedAt);
}

#include "downloadrun.h"

#include "commitqueue.h"
#include "connectahead.h"
#include "filenamerules.h"
#include "partfile.h"
#include "requesttext.h"
#include "targetfolder.h"

#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

DownloadRun::DownloadRun(QList<IdentifiedSong> songs, const Marks *marks, HttpSession *session,
                         QObject *parent)
    : QObject(parent), Order(std::move(songs), marks), Session(session),
      Ahead(new ConnectAhead(session, this)), Tick(new QTimer(this)), Wake(new QTimer(this)),
      Commits(new CommitQueue(8, this))
{
    Ahead->setLimits({HostPace::AutoMax / 2, HostPace::AutoMax, ConnectAhead::Limits{}.ExpiryMs});
    // One thread: part files are made one after another, in the order asked.
    FileThread.setMaxThreadCount(1);
    connect(Commits, &CommitQueue::committed, this,
            [this](int tag, PartFile::Commit result) { committed(tag, int(result)); });
    Tick->setInterval(TickMs);
    connect(Tick, &QTimer::timeout, this, &DownloadRun::tick);
    Wake->setSingleShot(true);
    connect(Wake, &QTimer::timeout, this, &DownloadRun::advance);
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

QString DownloadRun::hostKey(const QString &url)
{
    return (RequestText::isHttps(url) ? u"https://"_s : u"http://"_s) + RequestText::host(url);
}

int DownloadRun::limitFor(const QString &url) const
{
    const auto host = Hosts.constFind(hostKey(url));
    return host != Hosts.cend() ? host->pace.limit() : HostPace(Options.parallel).limit();
}

DownloadRun::Host &DownloadRun::hostOf(const QString &key)
{
    auto host = Hosts.find(key);
    if (host == Hosts.end())
        host = Hosts.insert(key, Host{HostPace(Options.parallel), 0});
    return *host;
}

void DownloadRun::start(const Settings &settings)
{
    if (Current != State::Idle)
        return;
    Options = settings;
    if (Options.parallel != Auto)
        Options.parallel = std::clamp(Options.parallel, 1, MaxParallel);
    Current = State::Preparing;
    Order.begin();
    Clock.start();
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

Exchange *DownloadRun::takeExchange()
{
    if (!FreeExchanges.isEmpty())
        return FreeExchanges.takeFirst();
    auto *exchange = new Exchange(Session, this);
    Exchange::Timings timings = Options.timings;
    // An attempt that gets nothing comes back here: whether it goes again, and
    // counted or not, depends on what the server does for the other songs.
    timings.Attempts = 1;
    exchange->setTimings(timings);
    exchange->useConnectAhead(Ahead);
    // From the event loop: an exchange that ends inside its start (an address
    // that cannot be sent) does not end its song inside advance().
    connect(
        exchange, &Exchange::finished, this, [this, exchange] { fetched(exchange); },
        Qt::QueuedConnection);
    connect(exchange, &Exchange::lightChanged, this, [this, exchange](Exchange::Light light) {
        if (light == Exchange::Light::Receiving) {
            if (Transfer *transfer = holding(exchange); transfer && !transfer->streaming) {
                transfer->streaming = true;
                qint64 &answer = hostOf(transfer->host).answerMs;
                const qint64 took = Clock.elapsed() - transfer->attemptMs;
                answer = answer < 0 ? took : (3 * answer + took) / 4;
            }
        }
        emit lightChanged(light);
    });
    connect(exchange, &Exchange::progress, this,
            [this, exchange](qint64 received, qint64 head, qint64 length) {
                if (Transfer *transfer = holding(exchange)) {
                    transfer->fraction =
                        std::clamp(double(received - head) / double(length), 0.0, 1.0);
                    updateProgress();
                }
            });
    connect(exchange, &Exchange::bodyProgress, this, [this, exchange](qint64 bytes, qint64 length) {
        if (Transfer *transfer = holding(exchange)) {
            if (length >= 0)
                transfer->length = length;
            emit songProgress(transfer->song, bytes, length);
        }
    });
    Exchanges.append(exchange);
    return exchange;
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
    Tick->start();
    advance();
}

void DownloadRun::stop()
{
    if (Current != State::Preparing && Current != State::Running)
        return;
    Current = State::Stopping;
    Tally.stopped = true;
    Wake->stop();
    std::vector<Transfer *> ending;
    for (const std::unique_ptr<Transfer> &transfer : Transfers)
        ending.push_back(transfer.get());
    for (Transfer *transfer : ending) {
        // A song between two tries leaves nothing: its part file goes with it.
        if (transfer->step == Transfer::Step::WaitingForPart ||
            transfer->step == Transfer::Step::Pausing)
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

int DownloadRun::holdingOn(const QString &host) const
{
    return int(std::count_if(Transfers.begin(), Transfers.end(),
                             [&host](const auto &t) { return t->exchange && t->host == host; }));
}

int DownloadRun::streamingOn(const QString &host, const Transfer *besides) const
{
    return int(std::count_if(Transfers.begin(), Transfers.end(), [&](const auto &t) {
        return t.get() != besides && t->step == Transfer::Step::Fetching && t->streaming &&
               t->host == host;
    }));
}

// A connection waiting far longer for its first byte than the server takes to
// answer is one the server holds back: its slot brings nothing.
bool DownloadRun::keptWaiting(const QString &host, qint64 now) const
{
    const auto known = Hosts.constFind(host);
    const qint64 answer = known != Hosts.cend() ? known->answerMs : -1;
    if (answer < 0)
        return false;
    return std::any_of(Transfers.begin(), Transfers.end(), [&](const auto &t) {
        return t->host == host && t->step == Transfer::Step::Fetching && !t->streaming &&
               now - t->attemptMs > 2 * answer + TickMs;
    });
}

// Songs of host that will be done within about the time its server takes to
// answer: their slots free before a new connection could be opened.
int DownloadRun::endingSoon(const QString &host) const
{
    const auto known = Hosts.constFind(host);
    if (known == Hosts.cend() || known->answerMs < 0)
        return 0;
    const double within = double(known->answerMs + TickMs);
    return int(std::count_if(Transfers.begin(), Transfers.end(), [&](const auto &t) {
        return t->host == host && t->step == Transfer::Step::Fetching && t->streaming &&
               t->length >= 0 && t->rate > 0 &&
               double(std::max<qint64>(0, t->length - t->counted)) < t->rate * within;
    }));
}

RunOrder::Room DownloadRun::roomFor(const QString &name, const QString &url)
{
    if (nameBusy(name))
        return RunOrder::Room::NameBusy;
    if (!PartFailure.isEmpty())
        return RunOrder::Room::Go; // none is fetched: each fails at once
    const QString key = hostKey(url);
    const Host &host = hostOf(key);
    if (host.pace.heldAt(Clock.elapsed()) || holdingOn(key) >= host.pace.limit())
        return RunOrder::Room::HostFull;
    return RunOrder::Room::Go;
}

void DownloadRun::advance()
{
    if (Current == State::Running)
        resumeDue(Clock.elapsed());
    while (Current == State::Running) {
        const RunOrder::Step step = Order.next(
            [this](const QString &name, const QString &url) { return roomFor(name, url); });
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
        if (!PartFailure.isEmpty()) {
            report(song, SongOutcome::failed(PartFailure), step.name);
            continue;
        }
        begin(step);
    }
    if (Current == State::Running) {
        prepareAhead();
        scheduleWake();
    }
    updateProgress();
    finishIfDone();
}

void DownloadRun::resumeDue(qint64 now)
{
    std::vector<Transfer *> due;
    for (const std::unique_ptr<Transfer> &transfer : Transfers) {
        if (transfer->step == Transfer::Step::Pausing && transfer->dueMs <= now)
            due.push_back(transfer.get());
    }
    // Big songs must not end last alone: of those sent back, the largest known
    // goes first, then the rest in page order.
    std::stable_sort(due.begin(), due.end(), [](const Transfer *a, const Transfer *b) {
        return a->length != b->length ? a->length > b->length : a->index < b->index;
    });
    for (Transfer *transfer : due) {
        const Host &host = hostOf(transfer->host);
        if (host.pace.heldAt(now) || holdingOn(transfer->host) >= host.pace.limit())
            continue;
        transfer->exchange = takeExchange();
        startFetch(transfer);
        Peak = std::max(Peak, int(Exchanges.size() - FreeExchanges.size()));
    }
}

void DownloadRun::begin(const RunOrder::Step &step)
{
    auto transfer = std::make_unique<Transfer>();
    transfer->song = Order.song(step.index).id;
    transfer->index = step.index;
    transfer->name = step.name;
    transfer->host = hostKey(Order.song(step.index).song.url);
    transfer->exchange = takeExchange();
    Transfer *t = transfer.get();
    Transfers.push_back(std::move(transfer));
    Peak = std::max(Peak, int(Exchanges.size() - FreeExchanges.size()));
    emit songStarted(t->song, step.ordinal, Order.total());
    if (Current != State::Running)
        return; // stopped from a handler: stop() has ended it
    if (!ReadyParts.isEmpty()) {
        // A part made ahead may sit in a folder gone or read-only since.
        if (!Folder->takesFiles())
            failWaiting(u"Не удалось создать файл"_s);
        else
            fetch(t, ReadyParts.takeFirst());
    }
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
    int ahead = 0;
    for (const Host &host : std::as_const(Hosts))
        ahead += host.pace.limit();
    ahead = std::min(ahead, MaxParallel);
    while (Current == State::Running && PartFailure.isEmpty() &&
           ReadyParts.size() + PartsOrdered < ahead + waitingForParts()) {
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
    if (Current != State::Running || !PartFailure.isEmpty()) {
        part.reset(); // a stopped run leaves nothing
        finishIfDone();
        return;
    }
    if (!part) {
        failWaiting(u"Не удалось создать файл"_s);
        advance();
        return;
    }
    const auto waiting = std::find_if(Transfers.begin(), Transfers.end(), [](const auto &t) {
        return t->step == Transfer::Step::WaitingForPart;
    });
    if (waiting == Transfers.end()) {
        ReadyParts.append(std::move(part));
        finishIfDone();
        return;
    }
    fetch(waiting->get(), std::move(part));
    // It may have taken a connection made ahead: another is made for the next.
    prepareAhead();
}

void DownloadRun::failWaiting(const QString &reason)
{
    // The folder takes no new file: nothing more is fetched into it. The songs
    // that stream already go on; those waiting, and the rest, fail now.
    PartFailure = reason;
    ReadyParts.clear();
    std::vector<Transfer *> waiting;
    for (const std::unique_ptr<Transfer> &transfer : Transfers) {
        if (transfer->step == Transfer::Step::WaitingForPart)
            waiting.push_back(transfer.get());
    }
    for (Transfer *transfer : waiting) {
        const SongId song = transfer->song;
        const QString name = transfer->name;
        end(transfer);
        report(song, SongOutcome::failed(reason), name);
    }
}

void DownloadRun::fetch(Transfer *transfer, std::shared_ptr<PartFile> part)
{
    transfer->part = std::move(part);
    startFetch(transfer);
}

void DownloadRun::startFetch(Transfer *transfer)
{
    transfer->step = Transfer::Step::Fetching;
    transfer->streaming = false;
    transfer->attemptMs = Clock.elapsed();
    transfer->rate = 0;
    ++transfer->tries;
    // A first request carries no Range; a later one goes on from what the part holds.
    transfer->exchange->start({Order.song(transfer->index).song.url, 1, {}, false},
                              transfer->part.get(), ResponseReader::Keep::BodyOnly,
                              Exchange::Start::Now, transfer->resume);
}

void DownloadRun::sendBack(Transfer *transfer, qint64 dueMs, bool counted)
{
    if (!counted)
        --transfer->tries;
    transfer->step = Transfer::Step::Pausing;
    transfer->streaming = false;
    transfer->dueMs = dueMs;
    FreeExchanges.append(std::exchange(transfer->exchange, nullptr));
}

// Whether a song that fell short goes again; false when it has failed.
bool DownloadRun::retried(Transfer *transfer)
{
    const ResponseSummary &summary = transfer->exchange->summary();
    const qint64 now = Clock.elapsed();
    Host &host = hostOf(transfer->host);
    const int others = streamingOn(transfer->host, transfer);
    const qint64 pause = qint64(Options.retryPauseMs) << std::max(0, transfer->tries - 1);
    if (summary.TotalLength >= 0)
        transfer->length = summary.TotalLength;
    // Nothing from a server that serves no one: the attempts of one request.
    const auto unanswered = [&] {
        if (++transfer->silent >= std::max(1, Options.timings.Attempts))
            return false;
        const bool silence = summary.Trouble == ResponseSummary::Setback::Busy;
        sendBack(transfer, now + (silence ? 0 : Options.timings.ResendPauseMs), false);
        return true;
    };
    using Setback = ResponseSummary::Setback;
    switch (summary.Trouble) {
    case Setback::Refused:
    case Setback::Busy:
        if (others > 0) {
            // Busy, not dead: it serves the others. Fewer at once, and this one
            // waits for a slot without losing a try.
            host.pace.refused(others);
            sendBack(transfer, now, false);
            return true;
        }
        return unanswered();
    case Setback::Throttled: {
        // An answer: the server is there, and the songs it took count, streaming or not.
        const int taken = holdingOn(transfer->host) - 1;
        const qint64 asked = std::max<qint64>(0, summary.RetryAfterMs);
        if (taken > 0) {
            host.pace.refused(taken);
            host.pace.holdUntil(now + asked);
            sendBack(transfer, now + asked, false);
            return true;
        }
        if (transfer->tries >= Tries)
            return false;
        const qint64 wait = summary.RetryAfterMs >= 0 ? asked : pause;
        host.pace.holdUntil(now + wait);
        sendBack(transfer, now + wait, true);
        return true;
    }
    case Setback::Broken:
    case Setback::Stalled:
        host.pace.troubled();
        if (transfer->tries >= Tries)
            return false;
        // Without a length or a validator the next try starts over.
        transfer->resume = {summary.Kept, summary.Validator, summary.TotalLength};
        sendBack(transfer, now + pause, true);
        return true;
    case Setback::None:
        // No server to spare (no such host, no route), asked again all the same.
        return transfer->exchange->failure() == Exchange::Failure::NoAnswer && unanswered();
    }
    return false;
}

void DownloadRun::fetched(Exchange *exchange)
{
    Transfer *transfer = holding(exchange);
    if (!transfer || transfer->step != Transfer::Step::Fetching)
        return;
    if (Current != State::Running) {
        transfer->part.reset(); // a stopped song leaves nothing
        end(transfer);
        finishIfDone();
        return;
    }
    const std::optional<SongOutcome> failure =
        SongOutcome::ofFetch(exchange->outcome(), exchange->failure(), exchange->summary());
    if (failure) {
        if (!retried(transfer)) {
            const SongId song = transfer->song;
            const QString name = transfer->name;
            SongOutcome failed = *failure; // the last try's reason
            failed.tries = transfer->tries;
            end(transfer);
            report(song, failed, name);
        }
    } else {
        // The exchange is free for the next song; the name stays taken until committed.
        std::shared_ptr<PartFile> part = std::move(transfer->part);
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
    stored.tries = transfer->tries;
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
        // The folder may have gone or turned read-only: the parts made ahead are
        // not trusted, so the next song learns it from a new one, before a fetch.
        ReadyParts.clear();
        break;
    }
    advance();
}

void DownloadRun::tick()
{
    if (Current != State::Running)
        return;
    for (const std::unique_ptr<Transfer> &transfer : Transfers) {
        if (transfer->step != Transfer::Step::Fetching || !transfer->part)
            continue;
        const qint64 size = transfer->part->size();
        const qint64 came = std::max<qint64>(0, size - transfer->counted);
        hostOf(transfer->host).bytes += came;
        transfer->counted = size;
        if (transfer->streaming) {
            const double rate = double(came) / double(TickMs);
            transfer->rate = transfer->rate > 0 ? (3 * transfer->rate + rate) / 4 : rate;
        }
    }
    const qint64 now = Clock.elapsed();
    bool grew = false;
    for (auto host = Hosts.begin(); host != Hosts.end(); ++host) {
        const int before = host->pace.limit();
        host->pace.sample(now, host->bytes,
                          holdingOn(host.key()) >= before && !keptWaiting(host.key(), now));
        grew = grew || host->pace.limit() > before;
    }
    if (grew)
        advance();
    else
        prepareAhead(); // songs near their end may want connections ready
}

void DownloadRun::prepareAhead()
{
    // While every slot is taken, the next song's connection is made ready, so it
    // need not wait for the handshakes once a slot frees. While the limit may
    // still double, as many as a doubling adds: opened early, before the songs
    // in flight fill the link's queue, their handshakes are neither lost in it
    // nor waited for once the limit rises. And one for each song that ends
    // before a handshake could be done: songs begun together end together. Not
    // to a server that has shown it takes no more.
    if (!PartFailure.isEmpty())
        return;
    QHash<QString, int> wanted;
    for (const QString &url : Order.upcomingUrls(MaxParallel)) {
        const QString key = hostKey(url);
        const Host &host = hostOf(key);
        if (host.pace.cap() > 0 || host.pace.heldAt(Clock.elapsed()) ||
            holdingOn(key) < host.pace.limit())
            continue;
        int &count = wanted[key];
        if (count >= std::max(host.pace.growing() ? host.pace.limit() : 1, endingSoon(key)))
            continue;
        ++count;
        if (Ahead->held(url) < count)
            Ahead->prepare(url);
    }
}

void DownloadRun::scheduleWake()
{
    const qint64 now = Clock.elapsed();
    qint64 next = -1;
    const auto consider = [&next, now](qint64 at) {
        if (at > now && (next < 0 || at < next))
            next = at;
    };
    for (const std::unique_ptr<Transfer> &transfer : Transfers) {
        if (transfer->step == Transfer::Step::Pausing)
            consider(transfer->dueMs);
    }
    for (const Host &host : std::as_const(Hosts))
        consider(host.pace.heldUntil());
    if (next >= 0)
        Wake->start(int(std::min<qint64>(next - now, 1 << 30)));
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
    Tick->stop();
    Wake->stop();
    ReadyParts.clear(); // unused ones go
    emit finished(Tally, FailedAt);
}

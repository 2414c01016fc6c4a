#include "workflow.h"

#include "datetext.h"
#include "pageload.h"
#include "settingswriter.h"
#include "songfiles.h"
#include "songlist.h"
#include "stationtable.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString CheckingText = u"Проверка новой версии..."_s;
// Often enough for a figure that moves, seldom enough to be read.
constexpr int TickMs = 500;

} // namespace

bool Workflow::RunMarks::isMarked(SongId song) const
{
    return Owner->Songs->isMarked(song);
}

bool Workflow::RunMarks::noNumbers() const
{
    return Owner->Chosen.noNumbers;
}

Workflow::Workflow(std::unique_ptr<QSettings> store, QObject *parent)
    : QObject(parent), Store(std::move(store)), Writer(new SettingsWriter(this)),
      Songs(new SongList(this)), Load(new PageLoad(&Session, this)),
      Check(new UpdateCheck(&Session, this)), Tick(new QTimer(this))
{
    Tick->setInterval(TickMs);
    connect(Tick, &QTimer::timeout, this, [this] {
        Progress.sample(RunClock.elapsed());
        // Before its first song the run has nothing to count yet.
        showRunProgress(Progress.inFlight() > 0 || Progress.done() > 0);
    });
    Writer->setStore(Store->fileName(), Store->format());
    connect(Writer, &SettingsWriter::written, this, &Workflow::settingsWritten);
    connect(Load, &PageLoad::lightChanged, this, &Workflow::lightChanged);
    connect(Load, &PageLoad::progress, this, &Workflow::progressChanged);
    connect(Load, &PageLoad::finished, this, &Workflow::pageLoaded);
    connect(Check, &UpdateCheck::lightChanged, this, &Workflow::lightChanged);
    connect(Check, &UpdateCheck::finished, this, &Workflow::checkEnded);
    Chosen.date = TodayText();
}

Workflow::~Workflow()
{
    // Nothing of the work may reach this object while its members go.
    if (Run)
        Run->disconnect(this);
    Load->disconnect(this);
    Check->disconnect(this);
}

void Workflow::setSettingsStore(std::unique_ptr<QSettings> store)
{
    Store = std::move(store);
    Writer->setStore(Store->fileName(), Store->format());
}

StoredSettings Workflow::stored() const
{
    return StoredSettings::read(*Store);
}

void Workflow::setTimings(const Timings &timings)
{
    Times = timings;
}

void Workflow::setMaxPageSize(qint64 bytes)
{
    Load->setMaxPageSize(bytes);
}

void Workflow::setState(State state)
{
    if (Current == state)
        return;
    Current = state;
    emit stateChanged(state);
}

void Workflow::setStatus(const QString &text)
{
    Status = text;
    emit statusChanged(text);
}

void Workflow::setStation(int index)
{
    if (index < 0 || index >= int(StationTable().size()) || index == Chosen.station)
        return;
    Chosen.station = index;
    LastRunFolder.clear();
    emit choicesChanged();
}

void Workflow::setDate(const QString &date)
{
    if (date == Chosen.date)
        return;
    Chosen.date = date;
    emit choicesChanged();
}

void Workflow::setFolder(const QString &folder)
{
    if (folder == Chosen.folder)
        return;
    Chosen.folder = folder;
    LastRunFolder.clear();
    emit choicesChanged();
}

void Workflow::setNoNumbers(bool on)
{
    if (on == Chosen.noNumbers)
        return;
    Chosen.noNumbers = on;
    emit choicesChanged();
}

void Workflow::setDayFolders(bool on)
{
    if (on == Chosen.dayFolders)
        return;
    Chosen.dayFolders = on;
    LastRunFolder.clear();
    emit choicesChanged();
}

void Workflow::restoreChoices()
{
    const StoredSettings saved = stored();
    if (saved.station >= 0)
        Chosen.station = saved.station;
    if (!saved.path.isEmpty())
        Chosen.folder = saved.path;
    Chosen.noNumbers = Chosen.noNumbers || saved.noNumbers;
    Chosen.dayFolders = Chosen.dayFolders || saved.dayFolders;
    emit choicesChanged();
    // No start-up load comes to replace the check's words.
    if (Chosen.station < 0 && Status == CheckingText)
        setStatus(u"Выберите радиостанцию"_s);
}

QString Workflow::stationSlug() const
{
    return Chosen.station >= 0 ? StationTable()[Chosen.station].slug : QString();
}

QString Workflow::stationName() const
{
    return Chosen.station >= 0 ? StationTable()[Chosen.station].name : QString();
}

QString Workflow::songFolder() const
{
    if (!QFileInfo(Chosen.folder).isDir())
        return {};
    if (!LastRunFolder.isEmpty() && QFileInfo(LastRunFolder).isDir())
        return LastRunFolder;
    if (Chosen.station < 0)
        return Chosen.folder;
    const QString station = StationFolder(Chosen.folder, stationName());
    return QFileInfo(station).isDir() ? station : Chosen.folder;
}

void Workflow::saveChoices()
{
    if (Storing)
        Writer->write(StoredSettings::choices(Chosen.station, Chosen.folder, Chosen.noNumbers,
                                              Chosen.dayFolders));
}

bool Workflow::updateDue() const
{
    return stored().lastUpdate != TodayText();
}

bool Workflow::checkForUpdate()
{
    if (busy())
        return false;
    setState(State::CheckingForUpdate);
    setStatus(CheckingText);
    Exchange::Timings timings = Times.exchange;
    timings.DeadlineMs = Times.updateDeadlineMs;
    Check->start(StoredSettings::siteUrl(stored().updateHost) + u"/version/tunetrawl.php"_s,
                 timings);
    return true;
}

void Workflow::checkEnded()
{
    // The server answered, whatever it said; with no answer the next start asks again.
    const bool answered = Check->answered();
    if (answered && Storing)
        Writer->write(StoredSettings::updateStamp(TodayText()));
    // What the store says and what is shown next agree.
    Writer->whenWritten([this, answered] {
        setState(State::Idle);
        emit updateChecked(answered, Check->reply());
    });
}

bool Workflow::loadPlaylist()
{
    if (busy() || stationSlug().isEmpty())
        return false;
    setState(State::Loading);
    LoadStation = stationName();
    LoadDate = Chosen.date;
    setStatus(u"Получение плейлиста "_s + LoadStation + u" за "_s + LoadDate);
    saveChoices();
    Songs->clear();

    const QString url = StoredSettings::siteUrl(stored().chartHost) + u'/' + stationSlug() +
                        u"/history/"_s + LoadDate + u'/';
    Exchange::Timings page = Times.exchange;
    page.DeadlineMs = Times.pageDeadlineMs;
    Load->setTimings(page);
    const bool folder = QFileInfo(Chosen.folder).isDir();
    Load->start(url, folder ? StationFolder(Chosen.folder, LoadStation) : QString());
    return true;
}

void Workflow::pageLoaded()
{
    const bool fetched = Load->fetched();
    QList<SongEntry> songs = Load->takeSongs();
    const int found = int(songs.size());
    Songs->setSongs(std::move(songs));
    Songs->setLibrary(Load->library());
    finishWork(fetched ? u"Найдено "_s + QString::number(found) + u" файлов"_s
                       : u"Плейлист "_s + LoadStation + u" за "_s + LoadDate + u" не получен"_s,
               [this, fetched] { emit loadFinished(fetched); });
}

Workflow::RunStart Workflow::startRun()
{
    if (busy())
        return RunStart::Busy;
    if (!QFileInfo(Chosen.folder).isDir())
        return RunStart::NoFolder;
    saveChoices();
    setState(State::Running);

    DownloadRun::Settings options;
    options.chosenFolder = Chosen.folder;
    options.subfolders = {stationName()};
    if (Chosen.dayFolders)
        options.subfolders.append(TodayText());
    options.parallel = Parallel >= 0 ? Parallel : stored().parallel;
    options.timings = Times.exchange;
    options.retryPauseMs = Times.retryPauseMs;

    Songs->clearOutcomes();
    LastRunFolder.clear();
    Progress = {};
    ShownPercent = -1;
    Run = new DownloadRun(Songs->identified(), &Marks, &Session, this);
    connect(Run, &DownloadRun::songStarted, this, &Workflow::runSongStarted);
    connect(Run, &DownloadRun::songFinished, this, &Workflow::runSongFinished);
    connect(Run, &DownloadRun::songProgress, this, &Workflow::runSongProgress);
    connect(Run, &DownloadRun::lightChanged, this, &Workflow::lightChanged);
    connect(Run, &DownloadRun::finished, this, &Workflow::runEnded);
    RunClock.start();
    Progress.sample(0);
    Tick->start();
    Run->start(options);
    // The songs marked now are the total until the run reaches them.
    Progress.setTotal(Run->total());
    return RunStart::Started;
}

void Workflow::stop()
{
    switch (Current) {
    case State::Running:
        setState(State::Stopping);
        Run->stop();
        break;
    case State::Loading:
        Load->abort();
        break;
    case State::CheckingForUpdate:
        Check->abort();
        break;
    case State::Idle:
    case State::Stopping:
        break;
    }
}

void Workflow::runSongStarted(SongId song, int ordinal, int total)
{
    Progress.setTotal(Run->total());
    Progress.started(song);
    showRunProgress(true);
    emit songStarted(song, ordinal, total);
}

void Workflow::runSongFinished(SongId song, const SongOutcome &outcome)
{
    Songs->setOutcome(song, outcome);
    Progress.setTotal(Run->total());
    Progress.finished(song, outcome.kind, outcome.bytes);
    showRunProgress(true);
    switch (outcome.kind) {
    case SongOutcome::Kind::Stored:
    case SongOutcome::Kind::Present:
        // Done with: the mark goes, and the library holds it now.
        if (const int row = Songs->rowOf(song); row >= 0)
            Songs->setMarked(row, false);
        Songs->addToLibrary(song, QDir::toNativeSeparators(Run->folderPath() + outcome.file));
        break;
    case SongOutcome::Kind::Failed:
    case SongOutcome::Kind::NoAddress:
        break; // stays marked for the next run
    }
    emit songFinished(song, outcome);
}

void Workflow::runSongProgress(SongId song, qint64 bytes, qint64 length)
{
    Progress.received(song, bytes, length);
    Songs->setTransfer(song, bytes, length);
    showRunProgress(false);
}

void Workflow::showRunProgress(bool status)
{
    if (const int percent = Progress.percent(); percent != ShownPercent) {
        ShownPercent = percent;
        emit progressChanged(qint16(percent));
    }
    if (status && Current == State::Running)
        setStatus(RunStatus(Progress));
}

void Workflow::runEnded(const RunTally &tally, const QString &failedAt)
{
    Tick->stop();
    // Songs still in flight at a stop leave no outcome, and no figure either.
    Songs->clearTransfers();
    LastRunFolder = Run->folderPath();
    Run->deleteLater();
    Run = nullptr;
    emit progressChanged(0);
    finishWork(failedAt.isEmpty()
                   ? RunReport(tally)
                   : u"Не удалось создать каталог "_s + QDir::toNativeSeparators(failedAt),
               [this, tally, failedAt] { emit runFinished(tally, failedAt); });
}

void Workflow::finishWork(const QString &status, const std::function<void()> &announce)
{
    // The state stays busy until the end is told, so no new work starts meanwhile.
    Writer->whenWritten([this, status, announce] {
        QString text = status;
        if (SettingsUnsaved) {
            SettingsUnsaved = false;
            text += u" (настройки не сохранены)"_s;
        }
        setStatus(text);
        setState(State::Idle);
        announce();
        emit workFinished();
    });
}

void Workflow::settingsWritten(bool ok)
{
    // A store that cannot be written is told once, with the end of the work that
    // saved; once it can be written again, a new failure is told again.
    if (!ok && !SettingsFailureTold)
        SettingsUnsaved = true;
    SettingsFailureTold = !ok;
}

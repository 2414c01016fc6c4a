#include "commandjob.h"

#include "console.h"
#include "songfiles.h"
#include "songlist.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int DrawEveryMs = 100;

void Tell(const QString &message)
{
    Console::write(Console::Stream::Err, message + u'\n');
}

QString OutcomeWord(SongOutcome::Kind kind)
{
    switch (kind) {
    case SongOutcome::Kind::Stored:
        return u"скачано"_s;
    case SongOutcome::Kind::Present:
        return u"уже есть"_s;
    case SongOutcome::Kind::Failed:
        return u"ошибка"_s;
    case SongOutcome::Kind::NoAddress:
        return u"нет адреса"_s;
    }
    return {};
}

bool Failure(SongOutcome::Kind kind)
{
    return kind == SongOutcome::Kind::Failed || kind == SongOutcome::Kind::NoAddress;
}

} // namespace

CommandJob::CommandJob(const JobRequest &request, std::unique_ptr<QSettings> store, QObject *parent)
    : QObject(parent), Request(request), Work(new Workflow(std::move(store), this))
{
    // A scheduled job never changes what the window finds at its next start.
    Work->setStoring(false);
    ShowProgress = !Request.quiet && !Request.list && Console::isTerminal(Console::Stream::Err);
    connect(Work, &Workflow::loadFinished, this, &CommandJob::pageLoaded);
    connect(Work, &Workflow::songStarted, this,
            [this](SongId, int, int total) { songStarted(total); });
    connect(Work, &Workflow::songFinished, this, &CommandJob::songFinished);
    // The bar shows the run; a page's own read-out is no part of it.
    connect(Work, &Workflow::progressChanged, this, [this](qint16 percent) {
        if (Work->state() != Workflow::State::Running)
            return;
        Percent = percent;
        drawProgress(false);
    });
    connect(Work, &Workflow::runFinished, this,
            [this](const RunTally &, const QString &failedAt) { runFinished(failedAt); });
}

CommandJob::~CommandJob() = default;

void CommandJob::start()
{
    Work->restoreChoices();
    Work->setStation(Request.station);
    Work->setDate(Request.date);
    if (!Request.folder.isEmpty())
        Work->setFolder(Request.folder);
    if (Request.noNumbers)
        Work->setNoNumbers(*Request.noNumbers);
    if (Request.dayFolders)
        Work->setDayFolders(*Request.dayFolders);
    if (Request.parallel >= 0)
        Work->setParallel(Request.parallel);
    if (!Request.list && !QFileInfo(Work->choices().folder).isDir()) {
        Tell(
            u"Не выбран или не существует каталог для сохранения! Укажите его: --folder КАТАЛОГ"_s);
        end(UsageError);
        return;
    }
    if (!Request.quiet)
        Tell(u"Получение плейлиста "_s + Work->stationName() + u" за "_s + Request.date);
    Work->loadPlaylist();
}

void CommandJob::interrupt()
{
    if (Ended)
        return;
    Stopped = true;
    if (Work->busy())
        Work->stop(); // its end comes as usual
    else
        end(Interrupted);
}

void CommandJob::pageLoaded(bool fetched)
{
    if (Stopped) {
        end(Interrupted);
        return;
    }
    if (!fetched) {
        Tell(Work->status());
        end(NoPage);
        return;
    }
    if (Request.list) {
        printList();
        end(AllPresent);
        return;
    }
    markAsked();
    // The folder was there at the start; it may have gone meanwhile.
    if (Work->startRun() != Workflow::RunStart::Started) {
        Tell(u"Не выбран или не существует каталог для сохранения!"_s);
        end(UsageError);
    }
}

void CommandJob::printList()
{
    const SongList *songs = Work->songs();
    const bool noNumbers = Work->choices().noNumbers;
    if (Request.json) {
        QJsonArray list;
        for (int row = 0; row < songs->count(); ++row) {
            const SongEntry &song = songs->song(row);
            list.append(QJsonObject{{u"position"_s, song.position},
                                    {u"title"_s, song.title},
                                    {u"file"_s, SongFileName(song, noNumbers)},
                                    {u"url"_s, song.url}});
        }
        Console::write(Console::Stream::Out, QString::fromUtf8(QJsonDocument(list).toJson()));
        return;
    }
    for (int row = 0; row < songs->count(); ++row) {
        const SongEntry &song = songs->song(row);
        say(PositionText(song.position) + u'\t' + song.title + u'\t' +
            SongFileName(song, noNumbers) + u'\t' + song.url);
    }
}

void CommandJob::markAsked()
{
    SongList *songs = Work->songs();
    if (Request.positions.isEmpty()) {
        for (int row = 0; row < songs->count(); ++row)
            songs->setMarked(row, !songs->song(row).url.isEmpty());
    }
    for (const int position : std::as_const(Request.positions)) {
        if (position <= songs->count()) {
            songs->setMarked(position - 1, true);
            continue;
        }
        ++Missing;
        Tell(u"Песни %1 на странице нет: в плейлисте %2"_s.arg(PositionText(position))
                 .arg(songs->count()));
    }
    if (Request.onlyNew) {
        for (int row = 0; row < songs->count(); ++row) {
            if (!songs->libraryPath(row).isEmpty())
                songs->setMarked(row, false);
        }
    }
}

void CommandJob::songStarted(int total)
{
    Total = total;
    drawProgress(false);
}

void CommandJob::songFinished(SongId song, const SongOutcome &outcome)
{
    const SongList *songs = Work->songs();
    const int row = songs->rowOf(song);
    if (row < 0)
        return;
    if (outcome.kind != SongOutcome::Kind::NoAddress)
        ++Finished;
    if (Failure(outcome.kind))
        ++Failures;
    if (Request.quiet && !Failure(outcome.kind))
        return;
    qint64 bytes = outcome.bytes;
    if (outcome.kind == SongOutcome::Kind::Present && Work->currentRun())
        bytes = QFileInfo(Work->currentRun()->folderPath() + outcome.file).size();
    QString line = PositionText(songs->song(row).position) + u'\t' + OutcomeWord(outcome.kind) +
                   u'\t' + (outcome.file.isEmpty() ? u"-"_s : outcome.file) + u'\t' +
                   (bytes >= 0 ? QString::number(bytes) : u"-"_s);
    if (Failure(outcome.kind))
        line += u'\t' + outcome.reason;
    say(line);
    drawProgress(true);
}

void CommandJob::runFinished(const QString &failedAt)
{
    clearProgress();
    if (!Request.quiet || !failedAt.isEmpty())
        Tell(Work->status());
    if (Stopped)
        end(Interrupted);
    else
        end(Failures > 0 || Missing > 0 || !failedAt.isEmpty() ? SomeFailed : AllPresent);
}

void CommandJob::drawProgress(bool now)
{
    if (!ShowProgress || Total == 0 || Ended)
        return;
    if (!now && LastDrawn.isValid() && LastDrawn.elapsed() < DrawEveryMs)
        return;
    LastDrawn.start();
    const QString tail = u" %1% %2/%3"_s.arg(Percent, 3).arg(Finished).arg(Total);
    // One line, never wrapped: the last column stays free.
    const int room = std::clamp(Console::width(Console::Stream::Err) - 1, 10, 80);
    const int barWidth = std::max(0, room - int(tail.size()) - 2);
    const int filled = barWidth * std::clamp(Percent, 0, 100) / 100;
    Console::write(Console::Stream::Err, u"\r["_s + QString(filled, u'#') +
                                             QString(barWidth - filled, u' ') + u']' + tail);
    ProgressShown = true;
}

void CommandJob::clearProgress()
{
    if (!ProgressShown)
        return;
    ProgressShown = false;
    const int room = std::clamp(Console::width(Console::Stream::Err) - 1, 10, 80);
    Console::write(Console::Stream::Err, u'\r' + QString(room, u' ') + u'\r');
}

void CommandJob::say(const QString &line)
{
    clearProgress();
    Console::write(Console::Stream::Out, line + u'\n');
}

void CommandJob::end(int exitCode)
{
    if (Ended)
        return;
    Ended = true;
    clearProgress();
    emit finished(exitCode);
}

int RunCommandJob(const JobRequest &request)
{
    Console console;
    CommandJob job(request, std::make_unique<QSettings>(u"tunetrawl"_s, u"tunetrawl"_s));
    QObject::connect(&console, &Console::interrupted, &job, &CommandJob::interrupt);
    QObject::connect(&job, &CommandJob::finished, QCoreApplication::instance(),
                     &QCoreApplication::exit, Qt::QueuedConnection);
    // From the event loop: an end that comes at once still ends it.
    QTimer::singleShot(0, &job, &CommandJob::start);
    return QCoreApplication::exec();
}

#include "mainwindow.h"

#include "check.h"
#include "datetext.h"
#include "g.h"
#include "playlistmodel.h"
#include "xpb.h"

#include "prompts.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

using namespace Qt::StringLiterals;

bool Main::RunMarks::isMarked(int row) const
{
    return Window->IsMarked(row);
}

bool Main::RunMarks::noNumbers() const
{
    return Window->Check2->Value();
}

void Main::StartRun()
{
    SaveSettings();
    work = Work::Run;
    EnableInputs(false);
    // The start button stays live as the stop button.
    Command1->setCaption(u"Стоп"_s);
    Command1->setEnabledCtrl(true);
    DownloadSelected();
}

void Main::DownloadSelected()
{
    DownloadRun::Settings options;
    options.chosenFolder = Text2->text();
    options.subfolders = {Combo1->currentText()};
    if (Check3->Value())
        options.subfolders.append(TodayText());
    options.parallel = Parallel();
    options.timings = timings.exchange;

    Playlist->clearOutcomes();
    run = new DownloadRun(Songs(), &runMarks, G->session(), this);
    connect(run, &DownloadRun::songStarted, this, &Main::RunSongStarted);
    connect(run, &DownloadRun::songFinished, this, &Main::RunSongFinished);
    connect(run, &DownloadRun::progressChanged, this,
            [this](int percent) { G_PercentOfLoad(qint16(percent)); });
    connect(run, &DownloadRun::lightChanged, G, &::G::showLight);
    connect(run, &DownloadRun::finished, this, &Main::RunFinished);
    run->start(options);
}

void Main::StopRun()
{
    if (run)
        run->stop();
}

void Main::RunSongStarted(int row, int ordinal, int total)
{
    ShowCurrentSong(row);
    ShowStatus(u"Скачивание %1 из %2: "_s.arg(ordinal).arg(total) + Songs().at(row).title.left(36) +
               u"..."_s);
}

void Main::RunSongFinished(int row, const SongOutcome &outcome)
{
    pendingOutcomes.append({row, outcome});
    switch (outcome.kind) {
    case SongOutcome::Kind::Stored:
    case SongOutcome::Kind::Present:
        ShowSongDone(row);
        break;
    case SongOutcome::Kind::Failed:
    case SongOutcome::Kind::NoAddress:
        if (!uiPace->isActive())
            ShowPending();
        break; // stays marked for the next run
    }
}

void Main::RunFinished(const RunTally &tally, const QString &failedAt)
{
    run->deleteLater();
    run = nullptr;
    G_PercentOfLoad(0);
    FinishWork(failedAt.isEmpty()
                   ? RunReport(tally)
                   : u"Не удалось создать каталог "_s + QDir::toNativeSeparators(failedAt));
}

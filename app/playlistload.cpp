#include "mainwindow.h"

#include "playlistmodel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

void Main::LoadPlaylist()
{
    if (Busy())
        return;
    work = Work::Load;
    EnableInputs(false);
    loadStation = Combo1->currentText();
    loadDate = Text1->text();
    ShowStatus(u"Получение плейлиста "_s + loadStation + u" за "_s + loadDate);
    SaveSettings();
    Playlist->clear();

    const QString url =
        SiteUrl(ChartHost()) + u'/' + stationSlug + u"/history/"_s + loadDate + u'/';
    Exchange::Timings page = timings.exchange;
    page.DeadlineMs = timings.pageDeadlineMs;
    pageExchange->setTimings(page);
    // An address refused at once ends it before this returns.
    pageExchange->start({url, 1, {}, false}, &pageBuffer, ResponseReader::Keep::WholeResponse);
}

void Main::PlaylistArrived()
{
    const ResponseSummary &response = pageExchange->summary();
    const bool fetched = pageExchange->outcome() == Exchange::Outcome::Response &&
                         response.success() && response.whole();
    QList<SongEntry> songs;
    if (fetched)
        songs = ParsePlaylist(pageBuffer.bytes());
    pageBuffer.take(); // its memory goes
    const int found = int(songs.size());
    Playlist->setSongs(std::move(songs));
    FinishWork(fetched ? u"Найдено "_s + QString::number(found) + u" файлов"_s
                       : u"Плейлист "_s + loadStation + u" за "_s + loadDate + u" не получен"_s);
}

#include "mainwindow.h"

#include "deadline.h"
#include "g.h"
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
    const QString station = Combo1->currentText();
    const QString date = Text1->text();
    ShowStatus(u"Получение плейлиста "_s + station + u" за "_s + date);
    SaveSettings();
    Playlist->clear();
    ++playlistGeneration;

    QString url = SiteUrl(ChartHost()) + u'/' + stationSlug + u"/history/"_s + date + u'/';
    QList<SongEntry> songs;
    bool fetched = false;
    {
        const Deadline deadline(G, PageDeadlineMs);
        const QByteArray page = G->RetBytes(url);
        if (closing)
            return;
        const ResponseSummary &response = G->lastResponse();
        fetched = response.success() && response.whole();
        if (fetched)
            songs = ParsePlaylist(page);
    }
    const int found = int(songs.size());
    Playlist->setSongs(std::move(songs));
    ++playlistGeneration;
    work = Work::None;
    EnableInputs(true);
    FinishWork(fetched ? u"Найдено "_s + QString::number(found) + u" файлов"_s
                       : u"Не удалось получить плейлист "_s + station + u" за "_s + date);
}

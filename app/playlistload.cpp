#include "mainwindow.h"

#include "g.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace Qt::StringLiterals;

void Main::LoadPlaylist()
{
    EnableInputs(false);
    st->setText(u"Получение плейлиста "_s + Combo1->currentText() + u" за "_s + Text1->text());
    SaveSettings();
    List1->clear();
    songs.clear();

    QString url =
        u"http://"_s + ChartHost() + u'/' + stationSlug + u"/history/"_s + Text1->text() + u'/';
    const QByteArray page = G->RetBytes(url);
    songs = ParsePlaylist(page);

    st->setText(u"Найдено "_s + QString::number(songs.size()) + u" файлов"_s);
    QStringList items;
    items.reserve(songs.size());
    for (const SongEntry &song : std::as_const(songs))
        items.append(ListItemText(song));
    List1->addItems(items);
    EnableInputs(true);
}

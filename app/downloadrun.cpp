#include "mainwindow.h"

#include "check.h"
#include "datetext.h"
#include "g.h"
#include "savetofile.h"
#include "songfiles.h"
#include "songresponse.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace Qt::StringLiterals;

namespace {

// One level, as the run always made them; false when it is not there afterwards.
bool MakeFolder(const QString &folder)
{
    return QFileInfo(folder).isDir() || QDir().mkdir(folder);
}

} // namespace

void Main::DownloadSelected()
{
    QString folder = StationFolder(Text2->text(), Combo1->currentText());
    if (Check3->Value() && MakeFolder(folder))
        folder = DateFolder(folder, TodayText());
    if (!MakeFolder(folder)) {
        st->setText(u"Не удалось создать каталог "_s + QDir::toNativeSeparators(folder));
        return;
    }

    int failed = 0;
    const QList<SongEntry> playlist = songs;
    for (const SongEntry &song : playlist) {
        if (closing)
            return;
        QListWidgetItem *item = List1->item(song.position - 1);
        if (song.url.isEmpty() || !item)
            continue;
        const QString path = folder + SongFileName(song, Check2->Value());
        if (QFileInfo::exists(path))
            item->setSelected(false);
        if (!item->isSelected())
            continue;

        List1->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        List1->scrollToItem(item);
        st->setText(u"Скачивание "_s + song.title.left(36) + u"..."_s);
        QString url = song.url;
        const QByteArray response = G->RetBytes(url);
        if (closing)
            return;
        // Only a complete, successful response becomes a file; the song stays
        // marked otherwise, so the next run tries it again.
        const std::optional<QByteArrayView> body = SongBody(response);
        if (body && SaveToFile(path, *body))
            item->setSelected(false);
        else
            ++failed;
    }
    if (failed > 0)
        st->setText(u"Не скачано "_s + QString::number(failed) + u" файлов"_s);
}

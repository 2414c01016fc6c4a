#include "listmenu.h"

#include "songlist.h"

#include <QUrl>

using namespace Qt::StringLiterals;

ListMenu::ListMenu(SongList *songs, Acts acts, QWidget *parent)
    : QMenu(parent), Songs(songs), Do(std::move(acts))
{
    setObjectName(u"ListMenu"_s);
    All = addAction(u"Отметить все"_s, this, [this] { Do.markAll(); });
    None = addAction(u"Снять отметки"_s, this, [this] { Songs->markNone(); });
    Failed = addAction(u"Отметить неудавшиеся"_s, this, [this] { Songs->markFailed(); });
    New = addAction(u"Отметить только новые"_s, this, [this] { Songs->markOnlyNew(); });
    Folder = addAction(u"Открыть папку"_s, this,
                       [this] { Do.openFolder(QUrl::fromLocalFile(Do.songFolder()).toString()); });
}

void ListMenu::refresh()
{
    All->setEnabled(Songs->count() > 0);
    None->setEnabled(Songs->markedCount() > 0);
    Failed->setEnabled(Songs->anyFailed());
    New->setEnabled(Songs->count() > 0);
    Folder->setEnabled(!Do.songFolder().isEmpty());
}

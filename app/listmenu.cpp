#include "mainwindow.h"

#include "check.h"
#include "playlistmodel.h"
#include "prompts.h"
#include "songfiles.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QUrl>

using namespace Qt::StringLiterals;

QMenu *Main::ListMenu()
{
    if (!listMenu) {
        listMenu = new QMenu(List1);
        listMenu->setObjectName(u"ListMenu"_s);
        listMenu->addAction(u"Отметить все"_s, this, [this] { Check1_Click(); });
        // The list's own click handling clears «Выбрать все» with the marks.
        listMenu->addAction(u"Снять отметки"_s, this, [this] { List1->clearSelection(); });
        listMenu->addAction(u"Отметить неудавшиеся"_s, this, [this] {
            for (int row = 0; row < SongCount(); ++row) {
                const SongOutcome *done = Playlist->outcome(row);
                if (done && done->kind == SongOutcome::Kind::Failed)
                    SetMarked(row, true);
            }
        });
        listMenu->addAction(u"Открыть папку"_s, this, [this] {
            prompts->openUrl(QUrl::fromLocalFile(SongFolder()).toString());
        });
    }
    const QList<QAction *> actions = listMenu->actions();
    bool anyFailed = false;
    for (int row = 0; row < SongCount() && !anyFailed; ++row) {
        const SongOutcome *done = Playlist->outcome(row);
        anyFailed = done && done->kind == SongOutcome::Kind::Failed;
    }
    actions[0]->setEnabled(SongCount() > 0);
    actions[1]->setEnabled(MarkedCount() > 0);
    actions[2]->setEnabled(anyFailed);
    actions[3]->setEnabled(!SongFolder().isEmpty());
    return listMenu;
}

QString Main::SongFolder() const
{
    // The station's folder once a run made it, else the chosen one.
    if (!QFileInfo(Text2->text()).isDir())
        return {};
    const QString station = StationFolder(Text2->text(), Combo1->currentText());
    return Combo1->currentIndex() >= 0 && QFileInfo(station).isDir() ? station : Text2->text();
}

void Main::ShowListMenu(const QPoint &position)
{
    // Shown without a loop of its own; the window goes on meanwhile.
    ListMenu()->popup(List1->viewport()->mapToGlobal(position));
}

#pragma once

#include <QMenu>

#include <functional>

class SongList;

// The song list's context menu: mark all, none, the failed songs or only the
// songs the library lacks, and open the songs' folder. Each action is enabled
// for the list as it is when the menu is shown.
class ListMenu : public QMenu
{
public:
    struct Acts
    {
        std::function<void()> markAll; // as «Выбрать все» does
        std::function<QString()> songFolder;
        std::function<void(const QString &)> openFolder;
    };

    ListMenu(SongList *songs, Acts acts, QWidget *parent);

    // Enables what makes sense now; call before showing it.
    void refresh();

private:
    SongList *Songs;
    Acts Do;
    QAction *All, *None, *Failed, *New, *Folder;
};

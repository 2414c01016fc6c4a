#pragma once

#include <QStyledItemDelegate>

// Draws a row of List1: a column on the left for the row's mark or, while the
// song is in flight, how far it has come; then the title, cut to the width. The
// column and the row height are the same from the first song on, whatever the
// rows show, so nothing in the list moves when a run begins or ends. A row's
// tip carries the list's own tip (the mark count) under its own.
class SongDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit SongDelegate(QObject *parent = nullptr);

    // The mark column's width for the view's font: room for "100%" and a size.
    static int columnWidth(const QFontMetrics &metrics);
    static int rowHeight(const QFontMetrics &metrics);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
};

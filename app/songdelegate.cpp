#include "songdelegate.h"

#include "songlist.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int Gap = 3; // between the column and the title

} // namespace

SongDelegate::SongDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

int SongDelegate::columnWidth(const QFontMetrics &metrics)
{
    int widest = 0;
    // The widest a figure of the column gets: SizeText never shows four digits.
    for (const QString &sample : {u"100%"_s, u"999 КБ"_s, u"999 МБ"_s, u"9,9 МБ"_s})
        widest = std::max(widest, metrics.horizontalAdvance(sample));
    return widest + 2;
}

int SongDelegate::rowHeight(const QFontMetrics &metrics)
{
    return metrics.height() + 2;
}

QSize SongDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    // As wide as the view: a long title is cut, not scrolled to.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const int width = view ? view->viewport()->width() : option.rect.width();
    return {std::max(0, width), rowHeight(option.fontMetrics)};
}

void SongDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString title = opt.text;
    const QIcon icon = opt.icon;
    // The style draws the row's ground, its selection and focus; the rest is drawn here.
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    const QColor ink =
        opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const int column = columnWidth(opt.fontMetrics);
    const QRect mark(opt.rect.left(), opt.rect.top(), column, opt.rect.height());
    const QRect text = opt.rect.adjusted(column + Gap, 0, -Gap, 0);

    painter->save();
    painter->setFont(opt.font);
    painter->setPen(ink);
    const QString transfer = index.data(SongList::TransferRole).toString();
    if (!transfer.isEmpty()) {
        painter->drawText(mark, Qt::AlignCenter | Qt::TextSingleLine, transfer);
    } else if (!icon.isNull()) {
        const QSize side = opt.decorationSize.boundedTo(mark.size());
        const QRect place = QStyle::alignedRect(opt.direction, Qt::AlignCenter, side, mark);
        icon.paint(painter, place, Qt::AlignCenter,
                   group == QPalette::Disabled ? QIcon::Disabled : QIcon::Normal);
    }
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      opt.fontMetrics.elidedText(title, Qt::ElideRight, text.width()));
    painter->restore();
}

bool SongDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                             const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStringList lines;
    if (index.isValid()) {
        // A title cut in the row is read whole here.
        const QString title = index.data(Qt::DisplayRole).toString();
        const int room = option.rect.width() - columnWidth(option.fontMetrics) - 2 * Gap;
        if (option.fontMetrics.horizontalAdvance(title) > room)
            lines.append(title);
        const QString tip = index.data(Qt::ToolTipRole).toString();
        if (!tip.isEmpty())
            lines.append(tip);
    }
    if (!view->toolTip().isEmpty())
        lines.append(view->toolTip());
    if (lines.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), lines.join(u'\n'), view);
    return true;
}

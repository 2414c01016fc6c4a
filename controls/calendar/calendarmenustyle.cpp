#include "calendarmenustyle.h"

#include "calendardrawing.h"
#include "calendargeometry.h"
#include "calendarmenu.h"
#include "resolvecolor.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionMenuItem>

using namespace Qt::StringLiterals;
using namespace CalendarDrawing;

namespace {

// The menu bar height the platform gives a menu font of this size.
int MenuHeight(const QFont &menuFont)
{
    return QFontMetrics(menuFont).height() + 6;
}

} // namespace

CalendarMenuStyle::CalendarMenuStyle() = default;

bool CalendarMenuStyle::IsThemed(const QStyle *style)
{
    if (const auto *proxy = qobject_cast<const QProxyStyle *>(style))
        style = proxy->baseStyle();
    return style && style->name().compare(u"windows"_s, Qt::CaseInsensitive) != 0;
}

QSize CalendarMenuStyle::MeasureMenuItem(const QFont &menuFont, const QString &caption, bool themed)
{
    const int w = QFontMetrics(menuFont).horizontalAdvance(caption);
    const int height = MenuHeight(menuFont);
    return themed ? QSize(w + 34, height + 3) : QSize(w + 26, height);
}

QImage CalendarMenuStyle::DrawMenuItem(QSize size, const Item &item, const QFont &menuFont,
                                       const QPalette &palette, qreal ratio)
{
    if (size.isEmpty())
        return {};
    const int w = size.width();
    const int h = size.height();
    QImage canvas(size * ratio, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    QPainter p(&canvas);
    p.setFont(menuFont);

    const QRect whole(0, 0, w, h);
    p.fillRect(whole, ResolveColor(SysColor::Menu, palette));
    if (item.themed)
        p.fillRect(QRect(0, 0, 24, h), ResolveColor(SysColor::ButtonFace, palette));

    QColor text = ResolveColor(SysColor::MenuText, palette);
    if (item.selected && item.themed) {
        p.fillRect(whole, BlendColors(SysColor::Highlight, SysColor::Window, 70, palette));
        FrameRect(p, whole, ResolveColor(SysColor::Highlight, palette));
    } else if (item.selected) {
        p.fillRect(whole, ResolveColor(SysColor::Highlight, palette));
        text = ResolveColor(SysColor::HighlightText, palette);
    }

    if (item.marked && item.themed) {
        const QRect box = CalendarGeometry::Box(1, 1, 22, h - 1);
        p.fillRect(box, BlendColors(SysColor::Highlight, SysColor::Window, 30, palette));
        FrameRect(p, box, ResolveColor(SysColor::Highlight, palette));
        text = ResolveColor(SysColor::MenuText, palette);
        DrawCheckMark(p, QRect(0, 0, 24, h), text);
    } else if (item.marked) {
        DrawCheckMark(p, QRect(0, 0, 18, h), text);
    }

    const QRect captionArea = item.themed ? QRect(30, 0, w - 30, h) : QRect(20, 0, w - 20, h);
    if (captionArea.width() > 0) {
        p.setPen(text);
        const QString shown =
            p.fontMetrics().elidedText(item.caption, Qt::ElideRight, captionArea.width());
        p.drawText(captionArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    return canvas;
}

QSize CalendarMenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                          const QSize &size, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type == CT_MenuItem && item && CalendarMenu::OwnerDrawnMenu(widget) &&
        item->menuItemType == QStyleOptionMenuItem::Normal)
        return MeasureMenuItem(item->font, item->text, IsThemed(this));
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void CalendarMenuStyle::drawControl(ControlElement element, const QStyleOption *option,
                                    QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuItem && item && CalendarMenu::OwnerDrawnMenu(widget) &&
        item->menuItemType == QStyleOptionMenuItem::Normal) {
        const Item look{item->text, bool(item->state & State_Selected), item->checked,
                        IsThemed(this)};
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawImage(item->rect.topLeft(),
                           DrawMenuItem(item->rect.size(), look, item->font, item->palette, ratio));
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

#include "statusline.h"

#include "controlsaccessibility.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

class StatusAccessible : public QAccessibleWidget
{
public:
    explicit StatusAccessible(StatusLine *line) : QAccessibleWidget(line, QAccessible::StatusBar) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<StatusLine *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *MakeStatusAccessible(QObject *object)
{
    if (auto *line = qobject_cast<StatusLine *>(object))
        return new StatusAccessible(line);
    return nullptr;
}

} // namespace

StatusLine::StatusLine(QWidget *parent) : QLabel(parent)
{
    AddAccessibleMaker(MakeStatusAccessible);
}

QString StatusLine::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void StatusLine::paintEvent(QPaintEvent *)
{
    const QString shown = shownText();
    const QString tip = shown == text() ? QString() : text();
    if (toolTip() != tip)
        setToolTip(tip);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, shown);
}

#include "statusline.h"

#include "controlsaccessibility.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QStringList>

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

void StatusLine::setDetail(const QString &detail)
{
    if (detail == Detail)
        return;
    Detail = detail;
    setAccessibleDescription(detail); // what the tip tells, for those who cannot hover
    refreshTip(shownText());
}

void StatusLine::refreshTip(const QString &shown)
{
    QStringList lines;
    if (shown != text())
        lines.append(text());
    if (!Detail.isEmpty())
        lines.append(Detail);
    const QString tip = lines.join(u'\n');
    if (toolTip() != tip)
        setToolTip(tip);
}

void StatusLine::paintEvent(QPaintEvent *)
{
    const QString shown = shownText();
    refreshTip(shown);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, shown);
}

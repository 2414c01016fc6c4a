#include "outcomeicon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

class OutcomeIconEngine : public QIconEngine
{
public:
    // blank: draws nothing.
    OutcomeIconEngine(SongOutcome::Kind kind, bool blank) : Kind(kind), Blank(blank) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        if (Blank)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const qreal side = qMin(rect.width(), rect.height());
        const QRectF box(rect.x() + (rect.width() - side) / 2,
                         rect.y() + (rect.height() - side) / 2, side, side);
        const qreal pen = qMax<qreal>(1.0, side / 7);
        const auto at = [&box](qreal x, qreal y) {
            return QPointF(box.left() + x * box.width(), box.top() + y * box.height());
        };
        QColor colour;
        QPainterPath path;
        switch (Kind) {
        case SongOutcome::Kind::Stored: // a check mark
            colour = QColor(0, 140, 60);
            path.moveTo(at(0.15, 0.55));
            path.lineTo(at(0.42, 0.80));
            path.lineTo(at(0.88, 0.22));
            break;
        case SongOutcome::Kind::Present: // an equals sign: the same file is there
            colour = QColor(70, 110, 170);
            path.moveTo(at(0.18, 0.38));
            path.lineTo(at(0.82, 0.38));
            path.moveTo(at(0.18, 0.64));
            path.lineTo(at(0.82, 0.64));
            break;
        case SongOutcome::Kind::Failed: // a cross
            colour = QColor(200, 30, 30);
            path.moveTo(at(0.2, 0.2));
            path.lineTo(at(0.8, 0.8));
            path.moveTo(at(0.8, 0.2));
            path.lineTo(at(0.2, 0.8));
            break;
        case SongOutcome::Kind::NoAddress: // a hollow ring: nothing to fetch
            colour = QColor(120, 120, 120);
            path.addEllipse(QRectF(at(0.22, 0.22), at(0.78, 0.78)));
            break;
        }
        if (mode == QIcon::Disabled)
            colour.setAlpha(110);
        else if (mode == QIcon::Selected && Kind == SongOutcome::Kind::NoAddress)
            colour = Qt::white; // grey would vanish on the selection's colour
        painter->setPen(QPen(colour, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(path);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        QPixmap pixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new OutcomeIconEngine(Kind, Blank); }

private:
    SongOutcome::Kind Kind;
    bool Blank;
};

} // namespace

QIcon OutcomeIcon(SongOutcome::Kind kind)
{
    return QIcon(new OutcomeIconEngine(kind, false));
}

QIcon BlankOutcomeIcon()
{
    return QIcon(new OutcomeIconEngine(SongOutcome::Kind::Stored, true));
}

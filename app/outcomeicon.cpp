#include "outcomeicon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

// What a row may show: a run's outcome, a song the library holds, or nothing.
enum class Mark { Stored, Present, Failed, NoAddress, Library, Blank };

Mark MarkOf(SongOutcome::Kind kind)
{
    switch (kind) {
    case SongOutcome::Kind::Stored:
        return Mark::Stored;
    case SongOutcome::Kind::Present:
        return Mark::Present;
    case SongOutcome::Kind::Failed:
        return Mark::Failed;
    case SongOutcome::Kind::NoAddress:
        break;
    }
    return Mark::NoAddress;
}

class OutcomeIconEngine : public QIconEngine
{
public:
    explicit OutcomeIconEngine(Mark mark) : Kind(mark) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        if (Kind == Mark::Blank)
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
        bool filled = false;
        switch (Kind) {
        case Mark::Stored: // a check mark
            colour = QColor(0, 140, 60);
            path.moveTo(at(0.15, 0.55));
            path.lineTo(at(0.42, 0.80));
            path.lineTo(at(0.88, 0.22));
            break;
        case Mark::Present: // an equals sign: the same file is there
            colour = QColor(70, 110, 170);
            path.moveTo(at(0.18, 0.38));
            path.lineTo(at(0.82, 0.38));
            path.moveTo(at(0.18, 0.64));
            path.lineTo(at(0.82, 0.64));
            break;
        case Mark::Failed: // a cross
            colour = QColor(200, 30, 30);
            path.moveTo(at(0.2, 0.2));
            path.lineTo(at(0.8, 0.8));
            path.moveTo(at(0.8, 0.2));
            path.lineTo(at(0.2, 0.8));
            break;
        case Mark::NoAddress: // a hollow ring: nothing to fetch
            colour = QColor(120, 120, 120);
            path.addEllipse(QRectF(at(0.22, 0.22), at(0.78, 0.78)));
            break;
        case Mark::Library: // a filled dot: a file of it is in the library
            colour = QColor(70, 110, 170);
            path.addEllipse(QRectF(at(0.3, 0.3), at(0.7, 0.7)));
            filled = true;
            break;
        case Mark::Blank:
            break;
        }
        if (mode == QIcon::Disabled)
            colour.setAlpha(110);
        else if (mode == QIcon::Selected && (Kind == Mark::NoAddress || Kind == Mark::Library))
            colour = Qt::white; // grey and blue would vanish on the selection's colour
        painter->setPen(QPen(colour, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
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

    QIconEngine *clone() const override { return new OutcomeIconEngine(Kind); }

private:
    Mark Kind;
};

} // namespace

QIcon OutcomeIcon(SongOutcome::Kind kind)
{
    return QIcon(new OutcomeIconEngine(MarkOf(kind)));
}

QIcon LibraryIcon()
{
    return QIcon(new OutcomeIconEngine(Mark::Library));
}

QIcon BlankOutcomeIcon()
{
    return QIcon(new OutcomeIconEngine(Mark::Blank));
}

#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pelk {

namespace {

void ArrowHead(QPainterPath &path, QPointF tip, int direction)
{
    path.moveTo(tip);
    path.lineTo(tip.x() - direction * 5, tip.y() - 5);
    path.lineTo(tip.x() - direction * 5, tip.y() + 5);
    path.closeSubpath();
}

} // namespace

QIcon StateIcon(int state)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool none = state == 3;
    QRadialGradient g(QPointF(9, 8), 14);
    g.setColorAt(0, none ? QColor(255, 120, 110) : QColor(120, 220, 120));
    g.setColorAt(1, none ? QColor(190, 20, 20) : QColor(20, 140, 40));
    p.setBrush(g);
    p.setPen(QPen(none ? QColor(120, 0, 0) : QColor(0, 90, 20), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));

    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::white);
    if (none) {
        p.drawLine(QPointF(8, 8), QPointF(16, 16));
        p.drawLine(QPointF(16, 8), QPointF(8, 16));
        return QIcon(pm);
    }
    QPainterPath heads;
    const double y = 12;
    if (state == 0) {
        p.drawLine(QPointF(8, y), QPointF(16, y));
        ArrowHead(heads, QPointF(20, y), 1);
        ArrowHead(heads, QPointF(4, y), -1);
    } else if (state == 1) {
        p.drawLine(QPointF(5, y), QPointF(15, y));
        ArrowHead(heads, QPointF(20, y), 1);
    } else {
        p.drawLine(QPointF(9, y), QPointF(19, y));
        ArrowHead(heads, QPointF(4, y), -1);
    }
    p.setPen(Qt::NoPen);
    p.drawPath(heads);
    return QIcon(pm);
}

} // namespace pelk

#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace quillmorph {

namespace {

const QColor kFrame(0x5a, 0x3e, 0x1b);
const QColor kSky(0xe8, 0xf4, 0xff);
const QColor kLeaves(0x2e, 0xa0, 0x3a);
const QColor kTrunk(0x8b, 0x4a, 0x16);
const QColor kArrow(0xe0, 0x1b, 0x1b);

// A framed tree in the rectangle, drawn in the 32-unit grid the icon is designed on.
void drawFramedTree(QPainter& p, const QRectF& frame) {
    const qreal unit = frame.width() / 19.0;
    p.setPen(QPen(kFrame, 1.6 * unit, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(kSky);
    p.drawRect(frame);
    p.setPen(Qt::NoPen);
    const QPointF top = frame.topLeft();
    p.setBrush(kTrunk);
    p.drawRect(QRectF(top + QPointF(8.2 * unit, 8.5 * unit), QSizeF(2.6 * unit, 6.5 * unit)));
    p.setBrush(kLeaves);
    p.drawEllipse(QRectF(top + QPointF(4.0 * unit, 2.2 * unit), QSizeF(11.0 * unit, 8.4 * unit)));
}

} // namespace

QImage drawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    drawFramedTree(p, QRectF(1.5, 1.5, 19.0, 16.5));
    drawFramedTree(p, QRectF(18.0, 20.4, 12.5, 12.5 * 16.5 / 19.0));

    QPainterPath bend;
    bend.moveTo(21.5, 7.0);
    bend.cubicTo(26.0, 7.0, 27.5, 9.5, 27.5, 14.5);
    p.setPen(QPen(kArrow, 2.6, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bend);
    QPolygonF head;
    head << QPointF(23.6, 14.0) << QPointF(31.4, 14.0) << QPointF(27.5, 19.3);
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    p.drawPolygon(head);
    return image;
}

QIcon appIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(drawAppIcon(size)));
    return icon;
}

} // namespace quillmorph

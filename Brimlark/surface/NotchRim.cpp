#include "Brimlark/surface/NotchRim.h"

#include <QtGlobal>

QPainterPath notchRim(const NotchShape& shape, const QRectF& rect) {
    const QPainterPath outline = shape.path(rect);
    const qreal top = outline.boundingRect().top();
    QPainterPath rim;
    QPointF last;
    for (int i = 0; i < outline.elementCount(); ++i) {
        const QPainterPath::Element element = outline.elementAt(i);
        const QPointF point(element.x, element.y);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            rim.moveTo(point);
            break;
        case QPainterPath::LineToElement:
            // The one straight run along the top becomes a jump.
            if (qFuzzyCompare(last.y() + 1.0, top + 1.0) && qFuzzyCompare(point.y() + 1.0, top + 1.0))
                rim.moveTo(point);
            else
                rim.lineTo(point);
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = outline.elementAt(i + 1);
            const QPainterPath::Element end = outline.elementAt(i + 2);
            rim.cubicTo(point, QPointF(c2.x, c2.y), QPointF(end.x, end.y));
            i += 2;
            last = QPointF(end.x, end.y);
            continue;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
        last = point;
    }
    return rim;
}

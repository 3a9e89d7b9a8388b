#include "Brimlark/core/NotchShape.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QImage>
#include <QPainter>

#include <cmath>

Q_DECLARE_METATYPE(NotchShape)

namespace {

const QRectF panelRect(0, 0, 356, 102);

NotchShape shape(bool hasPhysicalNotch, double topInset, double bottomRadius, double insetAmount) {
    NotchShape s;
    s.bottomRadius = bottomRadius;
    s.topInset = topInset;
    s.hasPhysicalNotch = hasPhysicalNotch;
    return s.inset(insetAmount);
}

} // namespace

class TestNotchShape : public QObject {
    Q_OBJECT
private slots:
    // Probes each corner along its diagonal just inside and just outside where the outline should
    // cross it, in the rectangle shrunk by the inset (halved vertically).
    void corners_data() {
        QTest::addColumn<NotchShape>("shape");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("bottom");

        QTest::newRow("no notch: square top") << shape(false, 0, 28, 0) << 0.0 << 28.0;
        QTest::newRow("no notch ignores the top inset") << shape(false, 24, 28, 0) << 0.0 << 28.0;
        QTest::newRow("notch: rounded top") << shape(true, 24, 28, 0) << 24.0 << 28.0;
        QTest::newRow("inset shrinks both") << shape(true, 24, 28, 4) << 20.0 << 24.0;
        QTest::newRow("glow outline grows both") << shape(true, 24, 28, -2) << 26.0 << 30.0;
        QTest::newRow("inset beyond the top inset") << shape(true, 24, 40, 30) << 0.0 << 10.0;
        QTest::newRow("inset beyond the bottom radius") << shape(true, 24, 12, 20) << 4.0 << 0.0;
    }
    void corners() {
        QFETCH(NotchShape, shape);
        QFETCH(double, top);
        QFETCH(double, bottom);

        const double a = shape.insetAmount;
        const QRectF inner = panelRect.adjusted(a, a / 2, -a, -a / 2);
        const QPainterPath path = shape.path(panelRect);
        QCOMPARE(path.boundingRect(), inner);

        // A quadratic corner with its control point on the corner crosses the diagonal at a
        // quarter of its size; a circular one at r(1 - 1/√2).
        const double topCross = top / 4;
        const double bottomCross = bottom * (1 - 1 / std::sqrt(2.0));
        const struct {
            QPointF corner;
            QPointF inward;
            double cross;
            bool rounded;
        } probes[] = {{inner.topLeft(), {1, 1}, topCross, top > 0},
                      {inner.topRight(), {-1, 1}, topCross, top > 0},
                      {inner.bottomRight(), {-1, -1}, bottomCross, bottom > 0},
                      {inner.bottomLeft(), {1, -1}, bottomCross, bottom > 0}};
        for (const auto& probe : probes) {
            QVERIFY(path.contains(probe.corner + probe.inward * (probe.cross + 0.5)));
            if (probe.rounded)
                QVERIFY(!path.contains(probe.corner + probe.inward * (probe.cross - 0.5)));
        }

        // The glow strokes this path, so it must trace the outline once, without doubling back
        // across a corner.
        if (top == 0) {
            const double perimeter =
                2 * inner.width() + 2 * (inner.height() - bottom) - 2 * bottom + M_PI * bottom;
            QVERIFY2(std::abs(path.length() - perimeter) < 0.1, qPrintable(QString::number(path.length())));
        }
    }

    void insetChangesOnlyTheInsetAmount() {
        const NotchShape original = shape(true, 24, 28, 1.5);
        const NotchShape grown = original.inset(-2).inset(0.25);
        QCOMPARE(grown.insetAmount, -0.25);
        QCOMPARE(grown.bottomRadius, 28.0);
        QCOMPARE(grown.topInset, 24.0);
        QCOMPARE(grown.hasPhysicalNotch, true);
        QCOMPARE(original.insetAmount, 1.5);
    }

    void screenshot() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR not set");
        const int margin = 8;
        for (const bool hasPhysicalNotch : {false, true}) {
            const NotchShape panel = shape(hasPhysicalNotch, 24, 28, 0);
            QImage image(panelRect.size().toSize() + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32);
            image.fill(QColor(40, 40, 48));
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            const QRectF rect = panelRect.translated(margin, margin);
            painter.fillPath(panel.path(rect), Qt::black);
            painter.strokePath(panel.inset(-2).path(rect), QPen(QColor(120, 200, 255), 1.5));
            painter.end();
            const QString name =
                hasPhysicalNotch ? QStringLiteral("notchshape-notch") : QStringLiteral("notchshape-plain");
            QVERIFY(!brimlark::test::saveScreenshot(image, name).isEmpty());
        }
    }
};

BRIMLARK_TEST_MAIN(TestNotchShape)
#include "tst_notchshape.moc"

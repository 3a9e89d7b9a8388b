#include "Brimlark/kit/BrimlarkCard.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// A card at (30, 30), 200 × 80, on a plain background with room for its shadows.
class Stage : public QWidget {
public:
    Stage(const QColor& background, const std::optional<QColor>& accent, bool material, bool elevated)
        : m_background(background) {
        resize(260, 140);
        auto* label = new QLabel(QStringLiteral("card"));
        label->setStyleSheet(QStringLiteral("color: white"));
        card = brimlarkCard(label, accent, 14, material, elevated, this);
        card->setGeometry(30, 30, 200, 80);
    }
    BrimlarkCard* card;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_background); }

private:
    QColor m_background;
};

QImage render(QWidget& widget) {
    return widget.grab().toImage();
}

// The largest difference in any channel between two images of one size.
int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

} // namespace

class TestBrimlarkCard : public QObject {
    Q_OBJECT
private slots:
    void materialLetsTheBackgroundThrough() {
        Stage solid(Qt::red, std::nullopt, false, false);
        Stage material(Qt::red, std::nullopt, true, false);
        const QColor opaque = render(solid).pixelColor(60, 100);
        const QColor through = render(material).pixelColor(60, 100);
        QVERIFY(opaque.red() < 20);
        QVERIFY(through.red() > 40);
    }

    void shadowsFollowAccentAndElevation_data() {
        QTest::addColumn<std::optional<QColor>>("accent");
        QTest::addColumn<bool>("elevated");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("tinted");
        const std::optional<QColor> cyan = BrimlarkTheme::accent();
        QTest::newRow("plain") << std::optional<QColor>() << false << false << false;
        QTest::newRow("elevated") << std::optional<QColor>() << true << true << false;
        QTest::newRow("accent, flat") << cyan << false << false << true;
        QTest::newRow("accent, elevated") << cyan << true << true << true;
    }
    void shadowsFollowAccentAndElevation() {
        QFETCH(std::optional<QColor>, accent);
        QFETCH(bool, elevated);
        QFETCH(bool, dark);
        QFETCH(bool, tinted);
        // Over white a dark shadow darkens, a cyan glow takes red away and leaves blue.
        Stage stage(Qt::white, accent, false, elevated);
        const QColor below = render(stage).pixelColor(130, 114);
        QCOMPARE(below != QColor(Qt::white), dark || tinted);
        if (tinted)
            QVERIFY(below.blue() - below.red() > 3);
        if (dark && !tinted)
            QVERIFY(std::abs(below.blue() - below.red()) <= 2);

        // The outline takes the accent.
        const QImage image = render(stage);
        const QColor edge = image.pixelColor(130, 30);
        if (accent)
            QVERIFY(edge.blue() > edge.red() + 20);
        else
            QVERIFY(std::abs(edge.blue() - edge.red()) <= 3);
    }

    void keptEdgesLookAsDrawnInPlace_data() {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("material");
        QTest::newRow("material over orange") << QColor(200, 90, 40) << true;
        QTest::newRow("solid over white") << QColor(Qt::white) << false;
        QTest::newRow("material over dark") << QColor(40, 40, 46) << true;
    }
    void keptEdgesLookAsDrawnInPlace() {
        QFETCH(QColor, background);
        QFETCH(bool, material);
        // Without an accent or elevation: no shadow, which the card's effect draws.
        Stage stage(background, std::nullopt, material, false);
        stage.card->findChild<QLabel*>()->hide();
        // Drawn once at one size, then again after a resize: the kept edges follow the size.
        for (const QSize size : {QSize(200, 80), QSize(150, 56)}) {
            stage.card->resize(size);
            QImage direct(stage.size(), QImage::Format_ARGB32_Premultiplied);
            direct.fill(background);
            QPainter painter(&direct);
            painter.translate(stage.card->pos());
            const BrimlarkCardModifier modifier{std::nullopt, 14, material, false};
            modifier.paintBackground(painter, QRectF(QPointF(0, 0), QSizeF(size)));
            modifier.paintOutline(painter, QRectF(QPointF(0, 0), QSizeF(size)));
            painter.end();
            // Only rounding apart: the sheen and the lines are blended from images.
            QVERIFY(largestDifference(render(stage).convertToFormat(direct.format()), direct) <= 4);
        }
    }

    void screenshot() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        Stage accent(QColor(40, 40, 46), BrimlarkTheme::accent(), false, true);
        brimlark::test::saveScreenshot(&accent, QStringLiteral("card-accent-elevated"));
        Stage material(QColor(200, 90, 40), std::nullopt, true, false);
        brimlark::test::saveScreenshot(&material, QStringLiteral("card-material"));
    }
};

BRIMLARK_TEST_MAIN(TestBrimlarkCard)
#include "tst_brimlarkcard.moc"

#include "Brimlark/core/NotchSafeTopRegion.h"
#include "tests/support/TestMain.h"

#include <QPointer>

class TestNotchSafeTopRegion : public QObject {
    Q_OBJECT
private slots:
    void metrics_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<double>("notchWidth");
        QTest::addColumn<double>("notchHeight");
        QTest::addColumn<bool>("hasPhysicalNotch");
        QTest::addColumn<QList<double>>("expected"); // slot, side, band, reserved band

        // Padding is 10 throughout.
        QTest::newRow("wide: slot follows the notch")
            << 600.0 << 8.0 << 185.0 << 32.0 << true << QList<double>{209, 181.5, 38, 38};
        QTest::newRow("small notch: minimum slot")
            << 600.0 << 8.0 << 100.0 << 32.0 << true << QList<double>{152, 210, 38, 38};
        QTest::newRow("narrow: slot capped at 56 %")
            << 200.0 << 8.0 << 185.0 << 32.0 << true << QList<double>{100.8, 35.6, 38, 38};
        QTest::newRow("sides never negative")
            << 30.0 << 20.0 << 185.0 << 32.0 << true << QList<double>{5.6, 0, 38, 38};
        QTest::newRow("shallow notch: band at least 24")
            << 600.0 << 8.0 << 185.0 << 10.0 << true << QList<double>{209, 181.5, 16, 24};
        QTest::newRow("notch but no room")
            << 20.0 << 8.0 << 185.0 << 32.0 << true << QList<double>{0, 0, 0, 24};
        QTest::newRow("no notch: even halves")
            << 600.0 << 8.0 << 185.0 << 32.0 << false << QList<double>{0, 286, 0, 24};
        QTest::newRow("no notch, no room")
            << 10.0 << 8.0 << 185.0 << 32.0 << false << QList<double>{0, 0, 0, 24};
    }
    void metrics() {
        QFETCH(double, width);
        QFETCH(double, spacing);
        QFETCH(double, notchWidth);
        QFETCH(double, notchHeight);
        QFETCH(bool, hasPhysicalNotch);
        QFETCH(QList<double>, expected);

        const auto m =
            NotchSafeTopRegion::metrics(width, 10, spacing, notchWidth, notchHeight, hasPhysicalNotch);
        const QList<double> actual{m.slotWidth, m.sideWidth, m.bandHeight, m.reservedBandHeight()};
        for (qsizetype i = 0; i < actual.size(); ++i)
            QCOMPARE(actual.at(i), expected.at(i)); // fuzzy, unlike comparing the lists
    }

    void placesContent_data() {
        QTest::addColumn<bool>("reserveTopBand");
        QTest::addColumn<bool>("hasPhysicalNotch");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<QRect>("leading");
        QTest::addColumn<QRect>("trailing");
        QTest::addColumn<QRect>("bottom");

        // 600 × 200, padding 10, notch 185 × 32 at the top centre (207.5 to 392.5).
        QTest::newRow("notch: sides clear of it") << true << true << 9.0 << QRect(10, 0, 181, 38)
                                                  << QRect(409, 0, 181, 38) << QRect(0, 47, 600, 153);
        QTest::newRow("no notch: sides share the band") << true << false << 10.0 << QRect(10, 0, 285, 24)
                                                        << QRect(305, 0, 285, 24) << QRect(0, 34, 600, 166);
        QTest::newRow("no band") << false << true << 9.0 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0)
                                 << QRect(0, 0, 600, 200);
    }
    void placesContent() {
        QFETCH(bool, reserveTopBand);
        QFETCH(bool, hasPhysicalNotch);
        QFETCH(double, spacing);
        QFETCH(QRect, leading);
        QFETCH(QRect, trailing);
        QFETCH(QRect, bottom);

        NotchSafeTopRegion region;
        region.setLeading(new QWidget);
        region.setTrailing(new QWidget);
        region.setBottom(new QWidget);
        region.resize(600, 200);
        region.setHorizontalPadding(10);
        region.setSpacing(spacing);
        region.setNotchWidth(185);
        region.setNotchHeight(32);
        region.setHasPhysicalNotch(hasPhysicalNotch);
        region.setReserveTopBand(reserveTopBand);

        QCOMPARE(region.leading()->parentWidget(), &region);
        QCOMPARE(region.leading()->geometry(), leading);
        QCOMPARE(region.trailing()->geometry(), trailing);
        QCOMPARE(region.bottom()->geometry(), bottom);

        // The layout follows the width once the region is on screen.
        region.show();
        region.resize(800, 200);
        QCOMPARE(region.bottom()->width(), 800);
        if (reserveTopBand)
            QCOMPARE(region.trailing()->geometry().right(), 800 - 10 - 1);
    }

    void replacedContentIsDeleted() {
        NotchSafeTopRegion region;
        QPointer<QWidget> first = new QWidget;
        region.setBottom(first);
        region.setBottom(new QWidget);
        QVERIFY(first.isNull());
        region.setBottom(nullptr);
        QVERIFY(!region.bottom());
    }
};

BRIMLARK_TEST_MAIN(TestNotchSafeTopRegion)
#include "tst_notchsafetopregion.moc"

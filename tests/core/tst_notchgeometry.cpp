#include "Brimlark/core/NotchGeometry.h"
#include "platform/fake/FakeScreens.h"
#include "tests/support/TestMain.h"

Q_DECLARE_METATYPE(ScreenDescription)
Q_DECLARE_METATYPE(std::optional<ScreenDescription>)

namespace {

// A deepest screen outside the list, which FakeScreens cannot express.
class DeepestOnlyScreens final : public Screens {
public:
    QList<ScreenDescription> list;
    QList<ScreenDescription> screens() const override { return list; }
    std::optional<ScreenDescription> mainScreen() const override { return std::nullopt; }
    std::optional<ScreenDescription> deepestScreen() const override {
        return FakeScreens::plain(QStringLiteral("Deepest"), QRect(0, 0, 800, 600));
    }
};

ScreenDescription screen(const QString& name, double inset, double auxLeft = 0, double auxRight = 0) {
    ScreenDescription s = FakeScreens::plain(name, QRect(0, 0, 1512, 982));
    s.topSafeAreaInset = inset;
    s.auxiliaryTopLeftWidth = auxLeft;
    s.auxiliaryTopRightWidth = auxRight;
    return s;
}

} // namespace

class TestNotchGeometry : public QObject {
    Q_OBJECT
private slots:
    void notchScreen_data() {
        QTest::addColumn<QList<ScreenDescription>>("screens");
        QTest::addColumn<int>("mainIndex");
        QTest::addColumn<std::optional<ScreenDescription>>("preferred");
        QTest::addColumn<ScreenDescription>("expected");

        const ScreenDescription laptop = FakeScreens::notchedLaptop(QStringLiteral("Laptop"));
        const ScreenDescription other = screen(QStringLiteral("Other"), 40);
        const ScreenDescription left = screen(QStringLiteral("Left"), 0);
        const ScreenDescription right = screen(QStringLiteral("Right"), 0);
        const ScreenDescription auxiliaryOnly = screen(QStringLiteral("AuxiliaryOnly"), 0, 700, 700);
        const std::optional<ScreenDescription> none;

        QTest::newRow("notched preferred, even unlisted")
            << QList{left, laptop} << 0 << std::optional(other) << other;
        QTest::newRow("plain preferred gives way")
            << QList{left, laptop} << 0 << std::optional(left) << laptop;
        QTest::newRow("first notched in list order") << QList{left, other, laptop} << 2 << none << other;
        QTest::newRow("no notch: main") << QList{left, right} << 1 << std::optional(left) << right;
        QTest::newRow("auxiliary areas are no notch") << QList{auxiliaryOnly, right} << 1 << none << right;
        QTest::newRow("no main: first listed") << QList{left, right} << -1 << none << left;
        QTest::newRow("no screens: default")
            << QList<ScreenDescription>() << -1 << none << ScreenDescription();
    }
    void notchScreen() {
        QFETCH(QList<ScreenDescription>, screens);
        QFETCH(int, mainIndex);
        QFETCH(std::optional<ScreenDescription>, preferred);
        QFETCH(ScreenDescription, expected);

        FakeScreens fake;
        fake.setScreens(screens, mainIndex, 1);
        const ScreenDescription found = ::notchScreen(fake, preferred);
        QCOMPARE(found.name, expected.name);
        QVERIFY(found == expected);
    }

    void notchScreenTakesDeepestOnlyWhenNothingIsListed() {
        DeepestOnlyScreens screens;
        QCOMPARE(::notchScreen(screens).name, QStringLiteral("Deepest"));
        screens.list = {screen(QStringLiteral("Listed"), 0)};
        QCOMPARE(::notchScreen(screens).name, QStringLiteral("Listed"));
    }

    void notchSize_data() {
        QTest::addColumn<ScreenDescription>("screen");
        QTest::addColumn<QSizeF>("expected");

        QTest::newRow("no notch") << screen(QStringLiteral("Plain"), 0) << QSizeF(200, 32);
        QTest::newRow("auxiliary areas, no inset") << screen({}, 0, 600, 600) << QSizeF(200, 32);
        QTest::newRow("notched laptop") << FakeScreens::notchedLaptop() << QSizeF(185, 32);
        QTest::newRow("unequal auxiliary areas") << screen({}, 32, 600, 700.25) << QSizeF(211.75, 32);
        QTest::newRow("auxiliary areas cover the width") << screen({}, 37, 756, 756) << QSizeF(200, 37);
        QTest::newRow("auxiliary areas exceed the width") << screen({}, 37, 1000, 600) << QSizeF(200, 37);
    }
    void notchSize() {
        QFETCH(ScreenDescription, screen);
        QFETCH(QSizeF, expected);
        QCOMPARE(::notchSize(screen), expected);
    }

    void panelFrameHangsCentredAndStaysOnScreen_data() {
        QTest::addColumn<QRect>("screenFrame");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("closed notch")
            << QRect(0, 0, 1920, 1080) << QSizeF(200, 32) << QRectF(860, 0, 200, 32);
        QTest::newRow("basic panel") << QRect(0, 0, 1920, 1080) << QSizeF(724, 388)
                                     << QRectF(598, 0, 724, 388);
        QTest::newRow("second screen")
            << QRect(1920, 100, 1280, 1024) << QSizeF(356, 102) << QRectF(2382, 100, 356, 102);
        QTest::newRow("narrower than the panel")
            << QRect(0, 0, 600, 400) << QSizeF(724, 388) << QRectF(0, 0, 724, 388);
    }
    void panelFrameHangsCentredAndStaysOnScreen() {
        QFETCH(QRect, screenFrame);
        QFETCH(QSizeF, size);
        QFETCH(QRectF, expected);
        ScreenDescription screen;
        screen.frame = screenFrame;
        QCOMPARE(notchPanelFrame(screen, size), expected);
    }
};

BRIMLARK_TEST_MAIN(TestNotchGeometry)
#include "tst_notchgeometry.moc"

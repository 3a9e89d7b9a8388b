#include "platform/linux/desktop/QtScreens.h"
#include "tests/support/TestMain.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QScreen>
#include <QSignalSpy>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qwindowsysteminterface.h>

// Qt's screens as the panel sees them, while screens come and go (the offscreen platform's
// configuration plays the unplugging).
class TestQtScreens : public QObject {
    Q_OBJECT
private:
    static QJsonObject screen(const QString& name, const QRect& geometry) {
        return QJsonObject{{"name", name},
                           {"x", geometry.x()},
                           {"y", geometry.y()},
                           {"width", geometry.width()},
                           {"height", geometry.height()},
                           {"logicalDpi", 96},
                           {"logicalBaseDpi", 96},
                           {"dpr", 1}};
    }
    static bool configureScreens(const QJsonArray& screens) {
        using SetConfiguration = void (*)(const QJsonObject&, QPlatformNativeInterface*);
        auto* nativeInterface = QGuiApplication::platformNativeInterface();
        if (!nativeInterface)
            return false;
        // The plug-in hands out its function as a plain pointer; it takes its own native interface.
        const auto set = reinterpret_cast<SetConfiguration>(
            nativeInterface->nativeResourceForIntegration("setConfiguration"));
        if (!set)
            return false;
        set(QJsonObject{{"screens", screens}}, nativeInterface);
        return true;
    }
    static QStringList names(const QList<ScreenDescription>& screens) {
        QStringList result;
        for (const ScreenDescription& s : screens)
            result.append(s.name);
        return result;
    }

    const QRect m_left{0, 0, 1920, 1080};
    const QRect m_right{1920, 0, 1280, 800};

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QSKIP("plays with the offscreen platform's screens");
    }
    void init() {
        QVERIFY(configureScreens({screen("Left", m_left), screen("Right", m_right)}));
        QCOMPARE(QGuiApplication::screens().size(), 2);
    }

    void describesEveryScreenWithoutANotch() {
        QtScreens screens;
        const QList<ScreenDescription> all = screens.screens();
        QCOMPARE(names(all), (QStringList{"Left", "Right"}));
        QCOMPARE(all.at(0).frame, m_left);
        QCOMPARE(all.at(1).frame, m_right);
        for (const ScreenDescription& s : all) {
            QCOMPARE(s.topSafeAreaInset, 0.0);
            QCOMPARE(s.auxiliaryTopLeftWidth, 0.0);
            QCOMPARE(s.auxiliaryTopRightWidth, 0.0);
        }
        QVERIFY(screens.mainScreen().has_value());
        QCOMPARE(screens.mainScreen()->name, QStringLiteral("Left"));
        QVERIFY(screens.deepestScreen().has_value());
        QCOMPARE(QtScreens::describe(nullptr), ScreenDescription());
    }

    void anUnpluggedScreenIsReportedOnceAndNeverRead() {
        QtScreens screens;
        QSignalSpy changed(&screens, &Screens::screensChanged);
        QStringList seenInSlot;
        connect(&screens, &Screens::screensChanged, this, [&] { seenInSlot = names(screens.screens()); });

        QVERIFY(configureScreens({screen("Left", m_left)}));
        QCOMPARE(changed.count(), 0); // on a later pass of the event loop
        QTRY_COMPARE(changed.count(), 1);
        QTest::qWait(20);
        QCOMPARE(changed.count(), 1); // one signal for the burst
        QCOMPARE(seenInSlot, QStringList{"Left"});
        QCOMPARE(names(screens.screens()), QStringList{"Left"});
    }

    void losingThePrimaryScreenMovesTheMainScreen() {
        QtScreens screens;
        QSignalSpy changed(&screens, &Screens::screensChanged);
        QVERIFY(configureScreens({screen("Right", m_right)}));
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(screens.mainScreen().has_value());
        QCOMPARE(screens.mainScreen()->name, QStringLiteral("Right"));
        QCOMPARE(screens.mainScreen()->frame, m_right);
    }

    void aScreenPluggedInIsReported() {
        QVERIFY(configureScreens({screen("Left", m_left)}));
        QtScreens screens;
        QSignalSpy changed(&screens, &Screens::screensChanged);
        QVERIFY(configureScreens({screen("Left", m_left), screen("Right", m_right)}));
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(names(screens.screens()), (QStringList{"Left", "Right"}));
    }

    void aGeometryChangeIsReported() {
        QtScreens screens;
        QSignalSpy changed(&screens, &Screens::screensChanged);
        QScreen* right = QGuiApplication::screens().at(1);
        const QRect moved(1920, 0, 1440, 900);
        // What a resolution change of the same monitor looks like to Qt.
        QWindowSystemInterface::handleScreenGeometryChange(right, moved, moved);
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(screens.screens().at(1).frame, moved);
    }

    void noScreenAtAllAnswersEmpty() {
        QtScreens screens;
        QSignalSpy changed(&screens, &Screens::screensChanged);
        QVERIFY(configureScreens({}));
        if (!QGuiApplication::screens().isEmpty())
            QSKIP("this Qt keeps a placeholder screen");
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(screens.screens().isEmpty());
        QVERIFY(!screens.mainScreen().has_value());
        QVERIFY(!screens.deepestScreen().has_value());
    }
};

BRIMLARK_TEST_MAIN(TestQtScreens)
#include "tst_qtscreens.moc"

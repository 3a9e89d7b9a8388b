#include "platform/linux/apps/GioIncludes.h"
#include "platform/linux/desktop/LinuxAccessibility.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>

#include <optional>

// Reduce motion follows GNOME's enable-animations; unreadable means off.
class TestLinuxAccessibility : public QObject {
    Q_OBJECT
private:
    static bool interfaceSchemaInstalled() {
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        if (!source)
            return false;
        GSettingsSchema* schema =
            g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE);
        if (!schema)
            return false;
        const bool hasKey = g_settings_schema_has_key(schema, "enable-animations");
        g_settings_schema_unref(schema);
        return hasKey;
    }

private slots:
    void initTestCase() {
        // GSettings keeps its values in memory for this process: the user's desktop is untouched.
        qputenv("GSETTINGS_BACKEND", "memory");
    }

    void followsTheSetting_data() {
        QTest::addColumn<std::optional<bool>>("enableAnimations");
        QTest::addColumn<bool>("reduceMotion");
        QTest::newRow("animations on") << std::optional<bool>(true) << false;
        QTest::newRow("animations off") << std::optional<bool>(false) << true;
        QTest::newRow("unreadable") << std::optional<bool>() << false;
    }
    void followsTheSetting() {
        QFETCH(std::optional<bool>, enableAnimations);
        QFETCH(bool, reduceMotion);
        LinuxAccessibility accessibility([&] { return enableAnimations; });
        QCOMPARE(accessibility.reduceMotion(), reduceMotion);
    }

    void noReaderMeansOff() {
        LinuxAccessibility accessibility(LinuxAccessibility::AnimationsSetting{});
        QVERIFY(!accessibility.reduceMotion());
    }

    void refreshReportsOnlyChanges() {
        std::optional<bool> animations = true;
        LinuxAccessibility accessibility([&] { return animations; });
        QSignalSpy changed(&accessibility, &Accessibility::reduceMotionChanged);

        accessibility.refresh();
        QCOMPARE(changed.count(), 0);

        animations = false;
        accessibility.refresh();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toBool(), true);
        QVERIFY(accessibility.reduceMotion());

        animations.reset(); // the setting became unreadable: off again
        accessibility.refresh();
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toBool(), false);
    }

    void readsGnomeSettingAndFollowsItsChanges() {
        if (!interfaceSchemaInstalled()) {
            LinuxAccessibility accessibility;
            QVERIFY(!accessibility.reduceMotion()); // no schema: off
            QSKIP("org.gnome.desktop.interface is not installed (gsettings-desktop-schemas)");
        }
        LinuxAccessibility accessibility;
        QVERIFY(!accessibility.reduceMotion()); // the schema's default: animations on
        QSignalSpy changed(&accessibility, &Accessibility::reduceMotionChanged);

        GObjectPtr<GSettings> settings(g_settings_new("org.gnome.desktop.interface"));
        QVERIFY(g_settings_set_boolean(settings.get(), "enable-animations", FALSE));
        QTRY_VERIFY(accessibility.reduceMotion());
        QCOMPARE(changed.count(), 1);

        QVERIFY(g_settings_set_boolean(settings.get(), "enable-animations", TRUE));
        QTRY_VERIFY(!accessibility.reduceMotion());
        QCOMPARE(changed.count(), 2);
    }
};

BRIMLARK_TEST_MAIN(TestLinuxAccessibility)
#include "tst_linuxaccessibility.moc"

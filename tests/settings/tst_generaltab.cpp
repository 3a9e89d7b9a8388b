#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/settings/GeneralTab.h"
#include "Brimlark/settings/SettingsChoiceRow.h"
#include "Brimlark/settings/SettingsSliderRow.h"
#include "Brimlark/settings/SettingsToggleRow.h"
#include "launch_at_login/LaunchAtLogin.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>

// The general page over the fixture's settings, each control as a user works it.
class TestGeneralTab : public QObject {
    Q_OBJECT
private:
    QByteArray m_config = qgetenv("XDG_CONFIG_HOME");

private slots:
    void cleanup() {
        qputenv("XDG_CONFIG_HOME", m_config);
        QFile::remove(LaunchAtLogin::entryPath());
    }

    void eachControlWritesItsSetting_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("choice");
        // A value already in the settings before the page opens; none when invalid.
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("written");
        // The delay as the page shows it, or whether the switch shows on.
        QTest::addColumn<QVariant>("shown");

        QTest::newRow("third step of the delay")
            << "delay" << 3 << QVariant() << "brimlark.hoverPeekDelay" << QVariant(0.3) << QVariant("0.3s");
        QTest::newRow("hand-edited delay left alone")
            << "none" << 0 << QVariant(0.7) << "brimlark.hoverPeekDelay" << QVariant(0.7) << QVariant("0.7s");
        QTest::newRow("advanced open mode") << "open mode" << 1 << QVariant() << "brimlark.defaultOpenMode"
                                            << QVariant("advanced") << QVariant();
        QTest::newRow("the selected open mode again")
            << "open mode" << 0 << QVariant() << "brimlark.defaultOpenMode" << QVariant("basic")
            << QVariant();
        QTest::newRow("expressive animations")
            << "intensity" << 2 << QVariant() << "brimlark.animationIntensity" << QVariant("expressive")
            << QVariant();
        QTest::newRow("hover opening off")
            << "hover" << 0 << QVariant() << "brimlark.hoverToPeek" << QVariant(false) << QVariant(false);
        QTest::newRow("translucent cards on") << "material" << 0 << QVariant() << "brimlark.useMaterialCards"
                                              << QVariant(true) << QVariant(true);
        QTest::newRow("focus cycling on")
            << "focus cycling" << 0 << QVariant() << "brimlark.autoCycleFocusOnTimer" << QVariant(true)
            << QVariant(true);
        QTest::newRow("launch at login on")
            << "launch at login" << 0 << QVariant() << QString() << QVariant(true) << QVariant(true);
        QTest::newRow("launch at login failing") << "launch at login, config a file" << 0 << QVariant()
                                                 << QString() << QVariant(false) << QVariant(false);
    }

    void eachControlWritesItsSetting() {
        QFETCH(QString, control);
        QFETCH(int, choice);
        QFETCH(QVariant, stored);
        QFETCH(QString, key);
        QFETCH(QVariant, written);
        QFETCH(QVariant, shown);
        ServiceFixture f;
        if (stored.isValid())
            f.appState.setHoverPeekDelay(stored.toDouble());
        GeneralTab tab(f.appState);
        tab.resize(560, 900);
        QSignalSpy writes(&f.defaults, &UserDefaults::valueChanged);
        tab.show();

        SettingsToggleRow* knobRow = nullptr;
        if (control == QLatin1String("delay")) {
            tab.delayRow()->slider()->setValue(choice);
        } else if (control == QLatin1String("open mode")) {
            QTest::mouseClick(tab.openModeRow()->buttons().at(choice), Qt::LeftButton);
        } else if (control == QLatin1String("intensity")) {
            QTest::mouseClick(tab.intensityRow()->buttons().at(choice), Qt::LeftButton);
        } else if (control == QLatin1String("hover")) {
            knobRow = tab.hoverRow();
        } else if (control == QLatin1String("material")) {
            knobRow = tab.materialRow();
        } else if (control == QLatin1String("focus cycling")) {
            knobRow = tab.focusCyclingRow();
        } else if (control.startsWith(QLatin1String("launch at login"))) {
            knobRow = tab.launchAtLoginRow();
            if (control.endsWith(QLatin1String("a file"))) {
                // The config "folder" is a regular file: no autostart entry can be written.
                const QString blocker = f.dir.filePath(QStringLiteral("blocker"));
                QFile file(blocker);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("x");
                file.close();
                qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
                QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral(
                                                        "^Failed to enable launch at login: .+")));
            }
        }
        if (knobRow)
            QTest::mouseClick(knobRow, Qt::LeftButton, {}, QPoint(20, knobRow->height() / 2));

        // Showing a stored value writes nothing back; each control writes once, also a choice
        // that was already selected.
        if (!key.isEmpty())
            QCOMPARE(writes.count(QVariantList{key}), control == QLatin1String("none") ? 0 : 1);
        if (key.isEmpty())
            QCOMPARE(QFileInfo::exists(LaunchAtLogin::entryPath()), written.toBool());
        else if (written.typeId() == QMetaType::Double)
            QCOMPARE(f.defaults.doubleValue(key), written.toDouble());
        else
            QCOMPARE(f.defaults.value(key), written);
        if (knobRow)
            QCOMPARE(knobRow->isOn(), shown.toBool());
        else if (shown.isValid())
            QCOMPARE(tab.delayRow()->valueText(), shown.toString());
    }

    // An entry an older build wrote, naming a build folder removed since, would start nothing at
    // login: the switch shows it off, and one click writes an entry that names this program.
    void aDeadLoginItemShowsOffAndOneClickRepairsIt() {
        ServiceFixture f;
        const QString path = LaunchAtLogin::entryPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Brimlark\nComment=The notch panel\n"
                    "Exec=/nonexistent/checkout/build/brimlark\nX-GNOME-Autostart-enabled=true\n");
        entry.close();
        GeneralTab tab(f.appState);
        tab.resize(560, 900);
        tab.show();
        SettingsToggleRow* row = tab.launchAtLoginRow();
        QVERIFY(!row->isOn());

        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(20, row->height() / 2));
        QVERIFY(row->isOn());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        QVERIFY2(text.contains(QStringLiteral("\nExec=") +
                               LaunchAtLogin::execLine(QCoreApplication::applicationFilePath()) +
                               QLatin1Char('\n')),
                 qPrintable(text));
    }
};

BRIMLARK_TEST_MAIN(TestGeneralTab)
#include "tst_generaltab.moc"

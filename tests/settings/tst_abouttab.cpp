#include "Brimlark/settings/AboutTab.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QLabel>

// The about page's version line from what the build knew.
class TestAboutTab : public QObject {
    Q_OBJECT
private slots:
    void versionLineMarksWhatIsMissing_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("line");
        QTest::newRow("both") << "1.4"
                              << "57"
                              << "v1.4 (build 57)";
        QTest::newRow("no build, outside a checkout") << "1.4"
                                                      << ""
                                                      << "v1.4 (build ?)";
        QTest::newRow("neither") << ""
                                 << ""
                                 << "v? (build ?)";
        QTest::newRow("blank version") << "  "
                                       << "57"
                                       << "v? (build 57)";
    }

    void versionLineMarksWhatIsMissing() {
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(QString, line);
        AboutTab tab(version, build);
        QCOMPARE(tab.versionText(), line);
    }

    void theDescriptionWrapsInANarrowPane() {
        AboutTab tab;
        tab.resize(220, 400);
        tab.show();
        QCoreApplication::processEvents();
        QLabel* description = nullptr;
        for (QLabel* label : tab.findChildren<QLabel*>()) {
            if (label->wordWrap())
                description = label;
        }
        QVERIFY(description);
        QVERIFY(description->width() <= 220);
        QVERIFY(description->height() >= 3 * description->fontMetrics().height());
        brimlark::test::saveScreenshot(&tab, QStringLiteral("about-tab-narrow"));
    }
};

BRIMLARK_TEST_MAIN(TestAboutTab)
#include "tst_abouttab.moc"

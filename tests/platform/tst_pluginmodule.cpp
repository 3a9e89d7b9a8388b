#include "platform/linux/PluginModule.h"
#include "platform/linux/apps/GioModule.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TestPluginModule : public QObject {
    Q_OBJECT
private slots:
    void candidatesRunFromBesideTheProgramToTheBuild_data() {
        QTest::addColumn<QString>("applicationDir");
        QTest::addColumn<QString>("buildTreeFolder");
        QTest::addColumn<QStringList>("candidates");
        QTest::newRow("a test of the build tree")
            << "/src/build/tests/platform"
            << "/src/build"
            << QStringList{"/src/build/tests/platform/libm.so", "/src/build/tests/lib/brimlark/libm.so",
                           "/src/build/libm.so"};
        QTest::newRow("installed under /usr")
            << "/usr/bin"
            << "" << QStringList{"/usr/bin/libm.so", "/usr/lib/brimlark/libm.so"};
        QTest::newRow("installed for one user")
            << "/home/a/.local/bin"
            << "" << QStringList{"/home/a/.local/bin/libm.so", "/home/a/.local/lib/brimlark/libm.so"};
        QTest::newRow("the build folder itself")
            << "/src/build"
            << "/src/build" << QStringList{"/src/build/libm.so", "/src/lib/brimlark/libm.so"};
    }
    void candidatesRunFromBesideTheProgramToTheBuild() {
        QFETCH(QString, applicationDir);
        QFETCH(QString, buildTreeFolder);
        QFETCH(QStringList, candidates);
        QCOMPARE(pluginModuleCandidates(QStringLiteral("libm.so"), applicationDir, buildTreeFolder),
                 candidates);
    }

    // An installed tree holds the program in bin/ and the modules in lib/brimlark/, with no build
    // folder to fall back on: the module is found there.
    void anInstalledProgramLoadsItsModuleFromItsLibraryFolder() {
        QTemporaryDir prefix;
        QVERIFY(QDir().mkpath(prefix.filePath(QStringLiteral("bin"))));
        QVERIFY(QDir().mkpath(prefix.filePath(QStringLiteral("lib/brimlark"))));
        const QString installed = prefix.filePath(QStringLiteral("lib/brimlark/libbrimlark_gio.so"));
        QVERIFY(QFile::copy(QStringLiteral(BRIMLARK_TEST_GIO_MODULE), installed));

        const PluginModuleEntry loaded =
            loadPluginModuleEntry(pluginModuleCandidates(QStringLiteral("libbrimlark_gio.so"),
                                                         prefix.filePath(QStringLiteral("bin")), QString()),
                                  gioModuleEntry);
        QVERIFY2(loaded.function, qPrintable(loaded.error));
        QCOMPARE(loaded.path, installed);
    }

    void aMissingModuleSaysSo() {
        const PluginModuleEntry loaded =
            loadPluginModuleEntry(pluginModuleCandidates(QStringLiteral("libbrimlark_gio.so"),
                                                         QStringLiteral("/nonexistent/bin"), QString()),
                                  gioModuleEntry);
        QVERIFY(!loaded.function);
        QCOMPARE(loaded.error, QStringLiteral("not found"));
    }
};

BRIMLARK_TEST_MAIN(TestPluginModule)
#include "tst_pluginmodule.moc"

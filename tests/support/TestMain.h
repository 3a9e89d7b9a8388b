#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace brimlark::test {

// Points HOME and every XDG folder at a fresh temporary folder, so no test ever reads or writes
// the user's real files. Must run before the application object is built.
inline QTemporaryDir& isolateHome() {
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/brimlark-test-XXXXXX"));
    const QByteArray root = home.path().toUtf8();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_STATE_HOME", root + "/state");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    QDir().mkpath(home.path() + QStringLiteral("/runtime"));
    QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return home;
}

} // namespace brimlark::test

// Like QTEST_MAIN, with the home folder isolated and Qt's test mode on.
#define BRIMLARK_TEST_MAIN(TestClass)                                                                        \
    int main(int argc, char** argv) {                                                                        \
        brimlark::test::isolateHome();                                                                       \
        QStandardPaths::setTestModeEnabled(true);                                                            \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }

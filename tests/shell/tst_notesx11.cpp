#include "Brimlark/core/Debouncer.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/organizer/NotesView.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/NotchPanel.h"
#include "Brimlark/shell/NotchWindowManager.h"
#include "tests/support/RequiredServers.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/X11Desktop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>

// On a real X server, as a user goes: the notes page of the open panel, a line typed on the
// server's keyboard, and the application quitting before the half-second save would have run.
class TestNotesX11 : public QObject {
    Q_OBJECT
private slots:
    void aLineTypedJustBeforeQuitIsOnDisk() {
        BRIMLARK_REQUIRE_SERVER(X11Desktop::available(), X11Desktop::server);
        X11Desktop x;
        QVERIFY(x.connected());

        ServiceFixture f;
        AppCoordinator coordinator(f.services(), f.platform());
        coordinator.start();
        coordinator.interactionEngine().setMode(InteractionEngine::Mode::advanced(0));
        NotchPanel* panel = coordinator.notchWindowManager()->panel();
        QVERIFY(panel);
        QVERIFY(QTest::qWaitForWindowExposed(panel, X11Desktop::timeoutMs));
        NotesView* page = nullptr;
        QTRY_VERIFY((page = panel->findChild<NotesView*>()) != nullptr);
        QPlainTextEdit* editor = page->editor();
        panel->activateWindow();
        editor->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), editor);

        // Keycodes 38 to 41 are a, s, d and f in Xvfb's map; 65 is the space bar.
        for (const int keycode : {38, 39, 40, 41, 65, 41, 40, 39, 38})
            x.typeKey(keycode);
        QTRY_COMPARE(editor->toPlainText(), QStringLiteral("asdf fdsa"));
        QElapsedTimer sinceLastKey;
        sinceLastKey.start();
        QVERIFY(f.notes.debouncer().isPending());

        coordinator.stop();
        QVERIFY2(sinceLastKey.elapsed() < 500, "the coordinator stopped after the save would have run");
        QFile file(f.dir.filePath(NotesService::fileName()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\"body\": \"asdf fdsa\""));
    }
};

BRIMLARK_TEST_MAIN(TestNotesX11)
#include "tst_notesx11.moc"

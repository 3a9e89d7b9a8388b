#include "Brimlark/core/Debouncer.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/organizer/NotesView.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeWorkspace.h"
#include "tests/support/CalendarFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace std::chrono_literals;

namespace {

const QByteArray twoNotes = R"([
  {"body": "groceries: milk, eggs", "id": "0B7C6F0E-1A2B-4C3D-8E9F-001122334455",
   "updatedAt": "2026-01-04T08:00:00Z"},
  {"body": "call Ana back", "id": "1B7C6F0E-1A2B-4C3D-8E9F-001122334455", "updatedAt": "2026-01-04T09:00:00Z"}
])";

struct NotesFixture {
    QTemporaryDir dir;
    FakeClock clock;
    FakeWorkspace workspace;
    std::unique_ptr<NotesService> service;

    explicit NotesFixture(const QByteArray& content = {}) {
        const QString path = dir.filePath(QStringLiteral("notes.json"));
        if (!content.isEmpty()) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(content);
        }
        service = std::make_unique<NotesService>(path, &clock);
    }
};

} // namespace

// The notes page: what it sends to the store, what it loads, its two buttons and the clipboard.
class TestNotesView : public QObject {
    Q_OBJECT
private slots:
    void loadingANoteIsNeverAnEdit() {
        NotesFixture f(twoNotes);
        const QList<Note> before = f.service->notes();
        NotesView view(*f.service, &f.workspace);
        QCOMPARE(view.draft(), QStringLiteral("groceries: milk, eggs"));
        QCoreApplication::processEvents();
        QCOMPARE(f.service->notes(), before);
        QVERIFY(!f.service->debouncer().isPending());

        // Deleting the current note loads the next one, which keeps its time.
        view.deleteCurrentNote();
        QCOMPARE(view.draft(), QStringLiteral("call Ana back"));
        QCoreApplication::processEvents();
        QCOMPARE(f.service->currentNote().updatedAt, before.at(1).updatedAt);
        QCOMPARE(f.service->notes().size(), 1);

        // Typing after that is an edit again.
        view.editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(view.editor(), QStringLiteral("!"));
        QCOMPARE(f.service->currentNote().body, QStringLiteral("call Ana back!"));
        QCOMPARE(f.service->currentNote().updatedAt, f.clock.now());
    }

    void theButtonsShowOnlyForText_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("shown");
        QTest::newRow("an empty note") << QByteArray() << QString() << false;
        QTest::newRow("the first character typed") << QByteArray() << QStringLiteral("a") << true;
        QTest::newRow("a note with text") << twoNotes << QString() << true;
    }
    void theButtonsShowOnlyForText() {
        QFETCH(QByteArray, file);
        QFETCH(QString, typed);
        QFETCH(bool, shown);
        NotesFixture f(file);
        NotesView view(*f.service, &f.workspace);
        if (!typed.isEmpty())
            QTest::keyClicks(view.editor(), typed);
        QCOMPARE(!view.copyButton()->isHidden(), shown);
        QCOMPARE(!view.deleteButton()->isHidden(), shown);
        QCOMPARE(view.copyButton()->accessibleName(), QStringLiteral("Copy note"));
        QCOMPARE(view.deleteButton()->accessibleName(), QStringLiteral("Delete current note"));
    }

    void copyLeavesExactlyTheStoredBody() {
        NotesFixture f(twoNotes);
        f.workspace.clipboard = QStringLiteral("something else");
        NotesView view(*f.service, &f.workspace);
        view.copyButton()->click();
        QCOMPARE(f.workspace.clipboard, QStringLiteral("groceries: milk, eggs"));
        QCOMPARE(f.service->notes().first().body, QStringLiteral("groceries: milk, eggs"));
    }

    void deletingTheOnlyNoteLeavesAnEmptyEditor() {
        NotesFixture f;
        NotesView view(*f.service, &f.workspace);
        QTest::keyClicks(view.editor(), QStringLiteral("gone soon"));
        view.deleteButton()->click();
        QCOMPARE(view.draft(), QString());
        QVERIFY(view.copyButton()->isHidden());
        QCOMPARE(f.service->notes().size(), 1);
    }

    void aSaveThatFailsIsToldAndRetried_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("line"); // what the line says, or how it starts
        QTest::newRow("full disk") << "full"
                                   << "notes could not be saved: file too large";
        QTest::newRow("folder cannot be made") << "blocked"
                                               << "notes could not be saved: ";
    }

    // The typed text stays in the editor, the line says why, every later edit tries again, and the
    // line goes with the first save that works.
    void aSaveThatFailsIsToldAndRetried() {
        QFETCH(QString, cause);
        QFETCH(QString, line);
        QTemporaryDir dir;
        // A file where the notes' folder should be: nothing can be written under it.
        const QString blocker = dir.filePath(QStringLiteral("data"));
        if (cause == QLatin1String("blocked"))
            QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        const QString path = blocker + QStringLiteral("/notes.json");
        FakeClock clock;
        NotesService service(path, &clock);
        NotesView view(service, nullptr);
        QVERIFY(view.saveLine().isEmpty());
        {
            auto limit = std::make_unique<brimlark::test::FileSizeLimit>(8);
            if (cause != QLatin1String("full")) {
                limit.reset();
            } else {
                QVERIFY(limit->isActive());
                QVERIFY(QDir().mkpath(blocker));
            }
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^notes save failed: ")));
            view.editor()->setPlainText(QStringLiteral("buy milk"));
            service.flush();
            QVERIFY2(view.saveLine().startsWith(line), qPrintable(view.saveLine()));
            QVERIFY(view.findChild<QLabel*>(QStringLiteral("saveLine"))->isVisibleTo(&view));
            QCOMPARE(view.draft(), QStringLiteral("buy milk"));

            // Still failing: the next edit tries again and says so again.
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^notes save failed: ")));
            view.editor()->appendPlainText(QStringLiteral("and eggs"));
            service.flush();
            QVERIFY(view.saveLine().startsWith(line));
        }
        // The space is back (the limit ends, the blocking file goes): the retry at quit saves it.
        if (cause == QLatin1String("blocked"))
            QVERIFY(QFile::remove(blocker));
        service.flush();
        QVERIFY(view.saveLine().isEmpty());
        QVERIFY(!view.findChild<QLabel*>(QStringLiteral("saveLine"))->isVisibleTo(&view));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("buy milk\\nand eggs"));
    }

    // A file cut short is kept aside when the page's store loads it, and the page says where.
    void anUnreadableFileIsToldWithWhereItWent_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("told");
        QTest::newRow("cut short") << twoNotes.left(twoNotes.size() / 2) << true;
        QTest::newRow("whole") << twoNotes << false;
    }
    void anUnreadableFileIsToldWithWhereItWent() {
        QFETCH(QByteArray, content);
        QFETCH(bool, told);
        if (told)
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("^notes file .* kept as ")));
        NotesFixture f(content);
        NotesView view(*f.service, &f.workspace);
        auto* line = view.findChild<QLabel*>(QStringLiteral("setAsideLine"));
        QCOMPARE(line->isVisibleTo(&view), told);
        if (!told) {
            QVERIFY(view.setAsideLine().isEmpty());
            return;
        }
        QVERIFY(view.setAsideLine().contains(f.service->setAsidePath()));
        QFile aside(f.service->setAsidePath());
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), content);
    }

    void screenshots() {
        if (brimlark::test::screenshotDir().isEmpty())
            QSKIP("BRIMLARK_SCREENSHOT_DIR is not set");
        const QSize size(560, 300);
        {
            NotesFixture f;
            std::unique_ptr<QWidget> host(darkHost(new NotesView(*f.service, &f.workspace), size));
            QVERIFY(
                !brimlark::test::saveScreenshot(host.get(), QStringLiteral("notes-page-empty")).isEmpty());
        }
        NotesFixture f;
        f.service->updateCurrentNote(QStringLiteral("standup notes\n- ship the notes page\n- review the "
                                                    "reminders store\n\nask Ana about the lisbon trip"));
        std::unique_ptr<QWidget> host(darkHost(new NotesView(*f.service, &f.workspace), size));
        QVERIFY(!brimlark::test::saveScreenshot(host.get(), QStringLiteral("notes-page-text")).isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestNotesView)
#include "tst_notesview.moc"

#include "Brimlark/core/Debouncer.h"
#include "Brimlark/organizer/NotesService.h"
#include "platform/fake/FakeClock.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace std::chrono_literals;

namespace {

const QByteArray threeNotes = R"([
  {"body": "first", "id": "0b7c6f0e-1a2b-4c3d-8e9f-001122334455", "updatedAt": "2026-01-04T08:00:00Z"},
  {"body": "second", "id": "1B7C6F0E-1A2B-4C3D-8E9F-001122334455", "updatedAt": "2026-01-04T09:00:00Z",
   "extra": true},
  {"body": "third", "id": "2b7c6f0e-1a2b-4c3d-8e9f-001122334455", "updatedAt": "2026-01-04T10:00:00Z"}
])";

} // namespace

// The notes store over files the test writes: what it loads, what it writes and when, and that a
// file it cannot read is kept aside instead of being overwritten.
class TestNotesService : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath(QStringLiteral("notes.json")); }
    static bool write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList setAside() const {
        return QDir(m_dir->path()).entryList({QStringLiteral("notes.json.unreadable-*")}, QDir::Files);
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void anEmptyArrayIsOneEmptyNoteWrittenOnlyAtTheFirstEdit() {
        QVERIFY(write(path(), "[]"));
        FakeClock clock;
        NotesService notes(path(), &clock);
        QCOMPARE(notes.notes().size(), 1);
        QCOMPARE(notes.currentNote().body, QString());
        QCOMPARE(notes.currentID(), notes.notes().first().id);
        clock.advance(2s);
        QCOMPARE(read(path()), QByteArray("[]"));

        notes.updateCurrentNote(QStringLiteral("buy milk"));
        clock.advance(500ms);
        const QJsonArray written = QJsonDocument::fromJson(read(path())).array();
        QCOMPARE(written.size(), 1);
        const QJsonObject note = written.first().toObject();
        QCOMPARE(note.keys(), (QStringList{"body", "id", "updatedAt"}));
        QCOMPARE(note.value(QStringLiteral("body")).toString(), QStringLiteral("buy milk"));
        const QString id = note.value(QStringLiteral("id")).toString();
        QCOMPARE(id.size(), 36);
        QCOMPARE(id, id.toUpper());
        QCOMPARE(QUuid::fromString(id), notes.currentID());
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"))
                    .match(note.value(QStringLiteral("updatedAt")).toString())
                    .hasMatch());
        QVERIFY(read(path()).contains("\n    ")); // indented
    }

    void aBurstOfEditsIsWrittenOnceHalfASecondAfterTheLast() {
        FakeClock clock;
        NotesService notes(path(), &clock);
        for (int i = 1; i <= 5; ++i) {
            notes.updateCurrentNote(QStringLiteral("draft %1").arg(i));
            clock.advance(100ms);
        }
        QVERIFY(!QFileInfo::exists(path()));
        clock.advance(399ms);
        QVERIFY(!QFileInfo::exists(path()));
        clock.advance(1ms);
        QVERIFY(read(path()).contains("draft 5"));
        QCOMPARE(notes.currentNote().updatedAt, clock.now().addMSecs(-500));
    }

    void deleting_data() {
        QTest::addColumn<int>("deleteIndex");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("left");
        QTest::newRow("the current note of three: the first left is current") << 0 << "second" << 2;
        QTest::newRow("another note: the current stays") << 2 << "first" << 2;
        QTest::newRow("an id no note has: a save all the same") << -1 << "first" << 3;
    }
    void deleting() {
        QFETCH(int, deleteIndex);
        QFETCH(QString, current);
        QFETCH(int, left);
        QVERIFY(write(path(), threeNotes));
        FakeClock clock;
        NotesService notes(path(), &clock);
        QCOMPARE(notes.notes().size(), 3);
        QCOMPARE(notes.notes().at(1).body, QStringLiteral("second"));
        notes.deleteNote(deleteIndex < 0 ? QUuid::createUuid() : notes.notes().at(deleteIndex).id);
        QCOMPARE(notes.currentNote().body, current);
        QCOMPARE(notes.notes().size(), left);
        clock.advance(500ms);
        QCOMPARE(QJsonDocument::fromJson(read(path())).array().size(), left);
    }

    void deletingTheOnlyNoteLeavesANewEmptyOneWritten() {
        FakeClock clock;
        NotesService notes(path(), &clock);
        notes.updateCurrentNote(QStringLiteral("only"));
        const QUuid old = notes.currentID();
        clock.advance(1s);
        notes.deleteNote(old);
        QCOMPARE(notes.notes().size(), 1);
        QVERIFY(notes.currentID() != old);
        QCOMPARE(notes.currentNote().body, QString());
        QCOMPARE(notes.currentNote().updatedAt, clock.now());
        clock.advance(500ms);
        const QJsonArray written = QJsonDocument::fromJson(read(path())).array();
        QCOMPARE(written.size(), 1);
        QCOMPARE(written.first().toObject().value(QStringLiteral("body")).toString(), QString());
    }

    void aFileItCannotReadIsKeptAsideAtOnce_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("bad JSON") << QByteArray("[{\"body\": \"half");
        QTest::newRow("an object, not an array") << QByteArray("{}");
        QTest::newRow("a note without updatedAt")
            << QByteArray(R"([{"body": "a", "id": "0B7C6F0E-1A2B-4C3D-8E9F-001122334455",
                              "updatedAt": "2026-01-04T08:00:00Z"},
                             {"body": "b", "id": "1B7C6F0E-1A2B-4C3D-8E9F-001122334455"}])");
        QTest::newRow("fractional seconds")
            << QByteArray(R"([{"body": "a", "id": "0B7C6F0E-1A2B-4C3D-8E9F-001122334455",
                              "updatedAt": "2026-01-04T08:00:00.250Z"}])");
        QTest::newRow("an offset instead of Z")
            << QByteArray(R"([{"body": "a", "id": "0B7C6F0E-1A2B-4C3D-8E9F-001122334455",
                              "updatedAt": "2026-01-04T08:00:00+01:00"}])");
        QTest::newRow("a day the month does not have")
            << QByteArray(R"([{"body": "a", "id": "0B7C6F0E-1A2B-4C3D-8E9F-001122334455",
                              "updatedAt": "2026-02-30T08:00:00Z"}])");
        QTest::newRow("a sign in the year")
            << QByteArray(R"([{"body": "a", "id": "0B7C6F0E-1A2B-4C3D-8E9F-001122334455",
                              "updatedAt": "-026-01-04T08:00:00Z"}])");
        QTest::newRow("an id that is no UUID")
            << QByteArray(R"([{"body": "a", "id": "note-1", "updatedAt": "2026-01-04T08:00:00Z"}])");
        QTest::newRow("a body that is no text")
            << QByteArray(R"([{"body": 3, "id": "0B7C6F0E-1A2B-4C3D-8E9F-001122334455",
                              "updatedAt": "2026-01-04T08:00:00Z"}])");
    }
    void aFileItCannotReadIsKeptAsideAtOnce() {
        QFETCH(QByteArray, content);
        QVERIFY(write(path(), content));
        FakeClock clock;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^notes file .* kept as ")));
        NotesService notes(path(), &clock);
        QCOMPARE(notes.notes().size(), 1);
        QCOMPARE(notes.currentNote().body, QString());
        // Moved before anything is typed, and the store says where.
        QCOMPARE(setAside(), QStringList{"notes.json.unreadable-20260105T090000Z"});
        QCOMPARE(notes.setAsidePath(), m_dir->filePath(setAside().first()));
        QCOMPARE(read(notes.setAsidePath()), content);
        QVERIFY(!QFileInfo::exists(path()));
        notes.updateCurrentNote(QStringLiteral("new"));
        clock.advance(500ms);
        QVERIFY(read(path()).contains("\"new\""));
        QCOMPARE(setAside().size(), 1);
    }

    void aFileThatCannotBeMovedAsideIsNeverReplaced() {
        QVERIFY(write(path(), "not json"));
        FakeClock clock;
        // A folder that cannot be written: neither a rename nor a replacement can happen.
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(m_dir->path()).isWritable())
            QSKIP("running with rights that ignore folder permissions");
        const QRegularExpression stuck(QStringLiteral("^notes file .* nor moved aside"));
        QTest::ignoreMessage(QtCriticalMsg, stuck);
        NotesService notes(path(), &clock);
        QVERIFY(notes.setAsidePath().isEmpty());
        for (int i = 0; i < 2; ++i) {
            notes.updateCurrentNote(QStringLiteral("edit %1").arg(i));
            QTest::ignoreMessage(QtCriticalMsg, stuck);
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^notes save failed: ")));
            clock.advance(500ms);
        }
        QVERIFY(!notes.saveError().isEmpty());
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(read(path()), QByteArray("not json"));
        QVERIFY(setAside().isEmpty());
    }

    void flushWritesAPendingEditAtOnce() {
        FakeClock clock;
        NotesService notes(path(), &clock);
        notes.flush(); // nothing pending: nothing written
        QVERIFY(!QFileInfo::exists(path()));
        notes.updateCurrentNote(QStringLiteral("last words"));
        notes.flush();
        QVERIFY(read(path()).contains("last words"));
        QVERIFY(!notes.debouncer().isPending());
    }

    void writtenNotesReadBackTheSame() {
        QVERIFY(write(path(), threeNotes));
        FakeClock clock;
        NotesService notes(path(), &clock);
        const std::optional<QList<Note>> again = NotesService::decode(NotesService::encode(notes.notes()));
        QVERIFY(again.has_value());
        QCOMPARE(*again, notes.notes());
    }
};

BRIMLARK_TEST_MAIN(TestNotesService)
#include "tst_notesservice.moc"

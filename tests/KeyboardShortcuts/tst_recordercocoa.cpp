#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "KeyboardShortcuts/Notifier.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/RecorderCocoa.h"
#include "KeyboardShortcuts/Utilities.h"
#include "KeyboardShortcuts/_Recorder.h"
#include "platform/KeyCodes.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

using namespace KeyboardShortcuts;

namespace {

struct Stroke {
    int qtKey = 0;
    Qt::KeyboardModifiers modifiers;
    int carbonKeyCode = 0;
};

const QString optionCommandK = QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":2304})");

} // namespace

Q_DECLARE_METATYPE(Stroke)

class TestRecorderCocoa : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_store;
    FakeKeyboardLayout m_layout;
    std::unique_ptr<FakeHotKeys> m_hotKeys;
    std::unique_ptr<CarbonKeyboardShortcuts> m_registry;
    std::unique_ptr<QWidget> m_window;
    QPushButton* m_neighbour = nullptr;
    Recorder* m_recorder = nullptr;
    QMenu m_menu;
    QList<RecorderCocoa::Alert> m_alerts;
    int m_response = RecorderCocoa::firstButtonReturn;
    QList<std::optional<Shortcut>> m_changes;
    int m_beeps = 0;
    const Name m_name{QStringLiteral("toggleRecorded")};

    RecorderCocoa* field() const { return m_recorder->field(); }
    QVariant stored() const { return m_store->value(m_name.storageKey()); }

    void send(const Stroke& stroke) {
        const quint32 scanCode = KeyCodes::xKeycode(stroke.carbonKeyCode).value_or(0);
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QWindowSystemInterface::handleExtendedKeyEvent(m_window->windowHandle(), type, stroke.qtKey,
                                                           stroke.modifiers, scanCode, 0, 0);
        QCoreApplication::processEvents(); // the alert, if any, opens and answers
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        setBeepHandler([this] { ++m_beeps; });
        QAction* quit = m_menu.addAction(QStringLiteral("&Quit"));
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    }

    void init() {
        m_window.reset();
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("defaults.json")));
        m_store = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults.json")));
        m_hotKeys = std::make_unique<FakeHotKeys>();
        m_registry = std::make_unique<CarbonKeyboardShortcuts>(m_hotKeys.get());
        NameRegistry::shared().reset();
        install(m_store.get(), &m_layout, m_registry.get());
        m_alerts.clear();
        m_changes.clear();
        m_beeps = 0;
        m_response = RecorderCocoa::firstButtonReturn;

        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_neighbour = new QPushButton(QStringLiteral("neighbour"), m_window.get());
        m_neighbour->setFocusPolicy(Qt::NoFocus); // the click alone must end recording
        layout->addWidget(m_neighbour);
        m_recorder = new Recorder(QStringLiteral("toggle recorded"), m_name,
                                  [this](const std::optional<Shortcut>& shortcut) { m_changes << shortcut; });
        layout->addWidget(m_recorder);
        field()->setMainMenu(&m_menu);
        field()->setAlertPresenter([this](QWidget*, const RecorderCocoa::Alert& alert, auto done) {
            m_alerts << alert;
            done(m_response);
        });
        m_window->resize(320, 120);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCoreApplication::processEvents(); // the field may take the keyboard from here on
    }

    void focusStartsRecordingAndEscapeEndsIt() {
        QVERIFY(!field()->hasFocus()); // showing the window does not start recording
        QCOMPARE(field()->placeholderText(), QStringLiteral("record shortcut"));
        QSignalSpy active(&Notifier::shared(), &Notifier::recorderActiveStatusDidChange);
        QTest::mouseClick(field(), Qt::LeftButton);
        QVERIFY(field()->isRecording());
        QCOMPARE(field()->placeholderText(), QStringLiteral("press shortcut"));
        QVERIFY(m_registry->isPaused());
        QVERIFY(m_registry->isRecorderActive());
        QCOMPARE(active.size(), 1);
        QCOMPARE(active.at(0).at(0).toBool(), true);
        brimlark::test::saveScreenshot(m_window.get(), QStringLiteral("recorder-field-recording"));

        send({Qt::Key_Escape, {}, 53});
        QVERIFY(!field()->isRecording());
        QVERIFY(!m_registry->isPaused());
        QCOMPARE(active.size(), 2);
        QCOMPARE(active.at(1).at(0).toBool(), false);
        QVERIFY(!stored().isValid());
        QVERIFY(m_changes.isEmpty());
    }

    void keysWhileRecording_data() {
        QTest::addColumn<QVariant>("before");
        QTest::addColumn<Stroke>("stroke");
        QTest::addColumn<int>("heldElsewhere"); // a combination another program holds: key code, or -1
        QTest::addColumn<int>("response");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("alert");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<int>("changes");

        const QVariant none;
        const int first = RecorderCocoa::firstButtonReturn, second = RecorderCocoa::secondButtonReturn;
        const Qt::KeyboardModifiers superAlt = Qt::MetaModifier | Qt::AltModifier;
        QTest::newRow("A alone") << none << Stroke{Qt::Key_A, {}, 0} << -1 << first << none << 1 << "" << true
                                 << 0;
        QTest::newRow("Shift+A") << none << Stroke{Qt::Key_A, Qt::ShiftModifier, 0} << -1 << first << none
                                 << 1 << "" << true << 0;
        QTest::newRow("an arrow alone")
            << none << Stroke{Qt::Key_Right, {}, 124} << -1 << first << none << 1 << "" << true << 0;
        QTest::newRow("F5 alone") << none << Stroke{Qt::Key_F5, {}, 96} << -1 << first
                                  << QVariant(QStringLiteral(R"({"carbonKeyCode":96,"carbonModifiers":0})"))
                                  << 0 << "" << false << 1;
        QTest::newRow("Shift+F5") << none << Stroke{Qt::Key_F5, Qt::ShiftModifier, 96} << -1 << first
                                  << QVariant(QStringLiteral(R"({"carbonKeyCode":96,"carbonModifiers":512})"))
                                  << 0 << "" << false << 1;
        QTest::newRow("Delete clears what is shown and goes on")
            << QVariant(optionCommandK) << Stroke{Qt::Key_Backspace, {}, 51} << -1 << first << none << 0 << ""
            << true << 1;
        QTest::newRow("a menu item's combination") << none << Stroke{Qt::Key_Q, Qt::ControlModifier, 12} << -1
                                                   << first << none << 0 << "Quit" << true << 0;
        QTest::newRow("held elsewhere, ok")
            << none << Stroke{Qt::Key_K, superAlt, 40} << 40 << first << none << 0 << "system" << true << 0;
        QTest::newRow("held elsewhere, use it anyway")
            << none << Stroke{Qt::Key_K, superAlt, 40} << 40 << second << QVariant(optionCommandK) << 0
            << "system" << false << 1;
        QTest::newRow("F12 alone is never reserved")
            << none << Stroke{Qt::Key_F12, {}, 111} << 111 << first
            << QVariant(QStringLiteral(R"({"carbonKeyCode":111,"carbonModifiers":0})")) << 0 << "" << false
            << 1;
    }
    void keysWhileRecording() {
        QFETCH(QVariant, before);
        QFETCH(Stroke, stroke);
        QFETCH(int, heldElsewhere);
        QFETCH(int, response);
        QFETCH(QVariant, stored);
        QFETCH(int, beeps);
        QFETCH(QString, alert);
        QFETCH(bool, recording);
        QFETCH(int, changes);
        if (before.isValid())
            setShortcut(Shortcut::fromJson(before.toString().toUtf8()), m_name);
        if (heldElsewhere >= 0)
            m_hotKeys->failWith(heldElsewhere, stroke.carbonKeyCode == 111 ? 0 : 2304,
                                HotKeys::heldByAnotherProgram);
        m_response = response;
        QTest::mouseClick(field(), Qt::LeftButton);
        QVERIFY(field()->isRecording());

        send(stroke);
        QCOMPARE(this->stored(), stored);
        QCOMPARE(m_beeps, beeps);
        QCOMPARE(m_alerts.size(), alert.isEmpty() ? 0 : 1);
        if (alert == QLatin1String("system"))
            QCOMPARE(m_alerts.first().kind, RecorderCocoa::AlertKind::system);
        else if (!alert.isEmpty())
            QVERIFY(m_alerts.first().message.contains(alert));
        QCOMPARE(field()->isRecording(), recording);
        QCOMPARE(m_changes.size(), changes);
        QCOMPARE(field()->cancelButton()->isVisible(), stored.isValid());
        QCOMPARE(field()->text().isEmpty(), !stored.isValid());
    }

    void aClickEndsRecordingOnlyAwayFromTheField_data() {
        QTest::addColumn<int>("distance");
        QTest::addColumn<bool>("recording");
        QTest::newRow("2 points below: consumed") << 2 << true;
        QTest::newRow("on the neighbour: ends and reaches it") << -1 << false;
    }
    void aClickEndsRecordingOnlyAwayFromTheField() {
        QFETCH(int, distance);
        QFETCH(bool, recording);
        QTest::mouseClick(field(), Qt::LeftButton);
        int clicked = 0;
        connect(m_neighbour, &QPushButton::clicked, this, [&] { ++clicked; });
        // Through the window, the way clicks reach the program.
        const QPoint at = distance >= 0
                              ? field()->mapTo(m_window.get(),
                                               QPoint(field()->width() / 2, field()->height() + distance - 1))
                              : m_neighbour->geometry().center();
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(field()->isRecording(), recording);
        QCOMPARE(clicked, recording ? 0 : 1);
    }

    void aChangeStoredElsewhereShowsAtOnce() {
        brimlark::test::saveScreenshot(m_window.get(), QStringLiteral("recorder-field-idle-empty"));
        // As another field storing for the same name would.
        setShortcut(Shortcut::fromJson(optionCommandK.toUtf8()), m_name);
        QCOMPARE(field()->text(), QStringLiteral("Super+Alt+K"));
        QVERIFY(field()->cancelButton()->isVisible());
        setShortcut(Shortcut(Key::n, Modifier::command), Name(QStringLiteral("another")));
        QCOMPARE(field()->text(), QStringLiteral("Super+Alt+K"));
        brimlark::test::saveScreenshot(m_window.get(), QStringLiteral("recorder-field-idle"));
        // A new name shows its own combination straight away.
        m_recorder->wrapper()->setName(Name(QStringLiteral("another")));
        QCOMPARE(field()->text(), QStringLiteral("Super+N"));
    }
};

BRIMLARK_TEST_MAIN(TestRecorderCocoa)
#include "tst_recordercocoa.moc"

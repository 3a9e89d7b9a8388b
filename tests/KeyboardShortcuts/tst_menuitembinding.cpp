#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/GlobalKeyboardShortcutViewModifier.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/MenuItemBinding.h"
#include "KeyboardShortcuts/NameRegistry.h"
#include "KeyboardShortcuts/RecorderCocoa.h"
#include "KeyboardShortcuts/ViewModifiers.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "tests/support/TestMain.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <memory>

using namespace KeyboardShortcuts;

namespace {
const Shortcut controlQ(Key::q, Modifier::control);
const Shortcut controlW(Key::w, Modifier::control);
const QKeySequence ctrlQ(Qt::CTRL | Qt::Key_Q);
const QKeySequence ctrlW(Qt::CTRL | Qt::Key_W);
} // namespace

class TestMenuItemBinding : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_store;
    FakeKeyboardLayout m_layout;
    std::unique_ptr<FakeHotKeys> m_hotKeys;
    std::unique_ptr<CarbonKeyboardShortcuts> m_registry;
    const Name m_first{QStringLiteral("first")};
    const Name m_second{QStringLiteral("second")};

    static void settle() { QCoreApplication::processEvents(); }

private slots:
    void init() {
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("defaults.json")));
        m_store = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults.json")));
        m_hotKeys = std::make_unique<FakeHotKeys>();
        m_registry = std::make_unique<CarbonKeyboardShortcuts>(m_hotKeys.get());
        NameRegistry::shared().reset();
        install(m_store.get(), &m_layout, m_registry.get());
    }

    void aBoundActionFollowsItsOwnNameOnly() {
        QAction action;
        setShortcut(action, m_first);
        QCOMPARE(action.shortcut(), QKeySequence()); // nothing stored yet
        setShortcut(controlQ, m_first);
        settle();
        QCOMPARE(action.shortcut(), ctrlQ);
        setShortcut(controlW, m_second);
        settle();
        QCOMPARE(action.shortcut(), ctrlQ);

        // Rebound, the first name's changes no longer reach it.
        setShortcut(action, m_second);
        QCOMPARE(action.shortcut(), ctrlW);
        setShortcut(controlW, m_first);
        settle();
        QCOMPARE(action.shortcut(), ctrlW);

        // Unbound, it has no shortcut and follows nothing.
        setShortcut(action, std::nullopt);
        QCOMPARE(action.shortcut(), QKeySequence());
        setShortcut(controlQ, m_second);
        settle();
        QCOMPARE(action.shortcut(), QKeySequence());

        // The binding goes with its action.
        auto bound = std::make_unique<QAction>();
        setShortcut(*bound, m_first);
        bound.reset();
        setShortcut(controlQ, m_first);
        settle();
    }

    void aControlLosesItsShortcutWhileAFieldRecords() {
        setShortcut(controlQ, m_first);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* button = new QPushButton(QStringLiteral("quit"), &window);
        auto* field = new RecorderCocoa(m_second);
        layout->addWidget(button);
        layout->addWidget(field);
        globalKeyboardShortcut(*button, m_first);
        QCOMPARE(button->shortcut(), ctrlQ);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QTest::mouseClick(field, Qt::LeftButton);
        QVERIFY(field->isRecording());
        QCOMPARE(button->shortcut(), QKeySequence());
        field->clearFocus();
        QVERIFY(!field->isRecording());
        QCOMPARE(button->shortcut(), ctrlQ);
        setShortcut(controlW, m_first);
        QCOMPARE(button->shortcut(), ctrlW);
    }
};

BRIMLARK_TEST_MAIN(TestMenuItemBinding)
#include "tst_menuitembinding.moc"

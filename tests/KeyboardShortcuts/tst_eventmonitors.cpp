#include "KeyboardShortcuts/LocalEventMonitor.h"
#include "KeyboardShortcuts/ObjectAssociation.h"
#include "KeyboardShortcuts/RunLoopLocalEventMonitor.h"
#include "tests/support/TestMain.h"

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <memory>

using namespace KeyboardShortcuts;

namespace {

// A focusable widget that writes down the keys it is given.
class KeyLog final : public QWidget {
public:
    KeyLog() {
        setFocusPolicy(Qt::StrongFocus);
        resize(100, 40);
    }
    QString keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys += event->text(); }
};

} // namespace

class TestEventMonitors : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<KeyLog> m_widget;

    // Types the letters through the window, the way key presses reach the program.
    void type(const QString& letters) {
        for (const QChar letter : letters)
            QTest::keyClick(m_widget->windowHandle(), Qt::Key(letter.toUpper().unicode()), Qt::NoModifier);
    }

private slots:
    void init() {
        m_widget = std::make_unique<KeyLog>();
        m_widget->show();
        m_widget->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_widget.get()));
        m_widget->setFocus();
    }
    void cleanup() { m_widget.reset(); }

    void aMonitorSwallowsWhatItIsAskedToAndNothingElse() {
        QString seen;
        auto monitor =
            std::make_unique<LocalEventMonitor>(QList<QEvent::Type>{QEvent::KeyPress}, [&](QEvent* event) {
                const QString text = static_cast<QKeyEvent*>(event)->text();
                seen += text;
                return text == QLatin1String("b");
            });
        type(QStringLiteral("abc"));
        QCOMPARE(m_widget->keys, QStringLiteral("abc")); // not started yet

        monitor->start();
        type(QStringLiteral("abcb"));
        QCOMPARE(seen, QStringLiteral("abcb")); // each event once, though it travels on to the widget
        QCOMPARE(m_widget->keys, QStringLiteral("abcac"));

        monitor.reset(); // dropping the token removes the filter
        type(QStringLiteral("b"));
        QCOMPARE(m_widget->keys, QStringLiteral("abcacb"));
        QCOMPARE(seen, QStringLiteral("abcb"));
    }

    void aMonitorMayDropItselfFromItsCallback() {
        std::unique_ptr<LocalEventMonitor> monitor;
        monitor = std::make_unique<LocalEventMonitor>(QList<QEvent::Type>{QEvent::KeyPress}, [&](QEvent*) {
            monitor.reset(); // as a recorder does when it ends
            return true;
        });
        monitor->start();
        type(QStringLiteral("xy"));
        QCOMPARE(m_widget->keys, QStringLiteral("y"));
    }

    void anAttachedMonitorFiltersUntilDetached() {
        int calls = 0;
        RunLoopLocalEventMonitor monitor({QEvent::KeyPress, QEvent::KeyRelease}, [&](QEvent*) {
            ++calls;
            return true;
        });
        monitor.attach();
        monitor.attach();
        type(QStringLiteral("a"));
        QCOMPARE(calls, 2); // press and release, once each
        QCOMPARE(m_widget->keys, QString());
        monitor.detach();
        type(QStringLiteral("a"));
        QCOMPARE(m_widget->keys, QStringLiteral("a"));
        QCOMPARE(calls, 2);
    }

    void associations() {
        const ObjectAssociation<int> count;
        const ObjectAssociation<QString> label(AssociationPolicy::copy);
        auto object = std::make_unique<QObject>();
        QCOMPARE(count.get(*object), std::nullopt);
        count.set(*object, 3);
        label.set(*object, QStringLiteral("three"));
        QCOMPARE(count.get(*object), std::optional<int>(3));
        QCOMPARE(label.get(*object), std::optional<QString>(QStringLiteral("three")));

        // A value of another type in the slot reads as none.
        object->setProperty(count.key().constData(), QStringLiteral("not a number"));
        QCOMPARE(count.get(*object), std::nullopt);
        count.set(*object, std::nullopt);
        QVERIFY(!object->property(count.key().constData()).isValid());

        // The slot goes with its object: a new object starts empty.
        count.set(*object, 4);
        object = std::make_unique<QObject>();
        QCOMPARE(count.get(*object), std::nullopt);
        QCOMPARE(label.get(*object), std::nullopt);
    }
};

BRIMLARK_TEST_MAIN(TestEventMonitors)
#include "tst_eventmonitors.moc"

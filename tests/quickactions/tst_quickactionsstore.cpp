#include "Brimlark/core/EnumText.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "platform/UserDefaults.h"
#include "tests/support/TestMain.h"

#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

using Kind = QuickAction::Kind;
const QString key = QString::fromLatin1(QuickActionsStore::storageKey);

// "mirror- dnd" is mirror hidden, then dnd shown.
QString describe(const QList<QuickAction>& actions) {
    QStringList words;
    for (const QuickAction& action : actions)
        words << rawValue(action.kind) + (action.enabled ? QString() : QStringLiteral("-"));
    return words.join(QLatin1Char(' '));
}

const QString allShown = QStringLiteral("muteMic dnd timer calculator googleSearch mirror appLauncher focus");

} // namespace

// The stored list of quick actions, over a settings file of the test's own.
class TestQuickActionsStore : public QObject {
    Q_OBJECT
private slots:
    void loadsTogglesAndSaves_data() {
        QTest::addColumn<QVariant>("stored"); // invalid: nothing stored
        QTest::addColumn<QString>("toggle");  // a kind to toggle after loading, or empty
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("enabled");

        const QString sevenShown =
            QStringLiteral("muteMic dnd timer calculator googleSearch mirror appLauncher");
        QTest::newRow("nothing stored") << QVariant() << QString() << allShown << sevenShown;
        QTest::newRow("two stored, the rest appended")
            << QVariant(QByteArray(R"([{"kind":"mirror","enabled":false},{"kind":"dnd","enabled":true}])"))
            << QString() << "mirror- dnd muteMic timer calculator googleSearch appLauncher focus"
            << "dnd muteMic timer calculator googleSearch appLauncher";
        QTest::newRow("stored as text")
            << QVariant(
                   QStringLiteral(R"([{"kind":"mirror","enabled":false},{"kind":"dnd","enabled":true}])"))
            << QString() << "mirror- dnd muteMic timer calculator googleSearch appLauncher focus"
            << "dnd muteMic timer calculator googleSearch appLauncher";
        QTest::newRow("other keys ignored, any order")
            << QVariant(QByteArray(R"([{"enabled":false,"note":[1],"kind":"dnd"}])")) << QString()
            << "dnd- muteMic timer calculator googleSearch mirror appLauncher focus"
            << "muteMic timer calculator googleSearch mirror appLauncher";
        QTest::newRow("empty list") << QVariant(QByteArray("[]")) << QString() << allShown << sevenShown;

        const QString bad[] = {
            R"([{"kind":"Mirror","enabled":false}])",
            R"([{"kind":"mirror","enabled":1}])",
            R"([{"kind":"dnd","enabled":false},{"kind":"mirror"}])",
            R"([{"enabled":false}])",
            R"([{"kind":null,"enabled":false}])",
            R"([{"kind":"mirror","enabled":"false"}])",
            "[{\"kind\":\"mirror\\u0000x\",\"enabled\":false}]",
            R"([{"kind":"dnd","enabled":false},"timer"])",
            R"({"kind":"dnd","enabled":false})",
            R"([{"kind":"dnd","enabled":false})",
            "not json",
        };
        for (const QString& text : bad)
            QTest::newRow(qPrintable(QStringLiteral("bad: ") + text))
                << QVariant(text.toUtf8()) << QString() << allShown << sevenShown;

        QTest::newRow("timer twice, toggled")
            << QVariant(QByteArray(R"([{"kind":"timer","enabled":true},{"kind":"timer","enabled":true}])"))
            << "timer"
            << "timer- timer muteMic dnd calculator googleSearch mirror appLauncher focus"
            << "timer muteMic dnd calculator googleSearch mirror appLauncher";
        QTest::newRow("focus stored enabled")
            << QVariant(QByteArray(R"([{"kind":"focus","enabled":true},{"kind":"dnd","enabled":false}])"))
            << "calculator"
            << "focus dnd- muteMic timer calculator- googleSearch mirror appLauncher"
            << "muteMic timer googleSearch mirror appLauncher";
        QTest::newRow("first launch, toggled")
            << QVariant() << "googleSearch"
            << "muteMic dnd timer calculator googleSearch- mirror appLauncher focus"
            << "muteMic dnd timer calculator mirror appLauncher";
    }

    void loadsTogglesAndSaves() {
        QFETCH(QVariant, stored);
        QFETCH(QString, toggle);
        QFETCH(QString, actions);
        QFETCH(QString, enabled);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("defaults.json"));
        QVariant before;
        {
            UserDefaults defaults(file);
            if (stored.isValid())
                defaults.setValue(key, stored);
            before = defaults.value(key);
        }

        UserDefaults defaults(file);
        QuickActionsStore store(defaults);
        QSignalSpy changes(&store, &QuickActionsStore::actionsChanged);
        // Neither loading nor the active kinds write anything.
        store.insertActiveKind(Kind::timer);
        store.setActiveKinds({Kind::mirror, Kind::dnd});
        QCOMPARE(defaults.contains(key), stored.isValid());
        QCOMPARE(defaults.value(key), before);

        if (!toggle.isEmpty()) {
            store.toggle(*enumFromRawValue<Kind>(toggle));
            QCOMPARE(changes.size(), 1);
        }
        QCOMPARE(describe(store.actions()), actions);
        QCOMPARE(describe(store.enabledActions()), enabled);
        if (!toggle.isEmpty()) {
            // The whole list is written at once, as compact JSON data, and read back as it is.
            QCOMPARE(defaults.value(key).typeId(), QMetaType::QByteArray);
            QCOMPARE(defaults.data(key), QuickActionsStore::encode(store.actions()));
            UserDefaults reread(file);
            QuickActionsStore again(reread);
            QCOMPARE(describe(again.actions()), actions);
            QVERIFY(again.activeKinds().isEmpty());
        }
    }

    // The stored form keeps "kind" before "enabled" and the list's order.
    void encodesCompactly() {
        QCOMPARE(QuickActionsStore::encode({{Kind::appLauncher, false}, {Kind::muteMic, true}}),
                 QByteArray(R"([{"kind":"appLauncher","enabled":false},{"kind":"muteMic","enabled":true}])"));
        QTemporaryDir dir;
        UserDefaults defaults(dir.filePath(QStringLiteral("defaults.json")));
        QuickActionsStore store(defaults);
        store.toggle(Kind::calculator);
        store.toggle(Kind::calculator);
        QCOMPARE(describe(store.actions()), allShown);
        QCOMPARE(defaults.data(key), QuickActionsStore::encode(QuickAction::defaultList()));
    }
};

BRIMLARK_TEST_MAIN(TestQuickActionsStore)
#include "tst_quickactionsstore.moc"

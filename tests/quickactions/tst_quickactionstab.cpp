#include "Brimlark/core/EnumText.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/quickactions/QuickActionsCard.h"
#include "Brimlark/quickactions/QuickActionsKnob.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "Brimlark/quickactions/QuickActionsTab.h"
#include "platform/UserDefaults.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

using Kind = QuickAction::Kind;

// The tab on a dark page over a settings file of the test's own.
struct Page {
    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    std::unique_ptr<QuickActionsStore> store;
    QWidget window;
    QuickActionsTab* tab = nullptr;

    explicit Page(const QByteArray& stored = {}) {
        if (!stored.isEmpty())
            defaults.setData(QString::fromLatin1(QuickActionsStore::storageKey), stored);
        store = std::make_unique<QuickActionsStore>(defaults);
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
        window.setPalette(palette);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(24, 24, 24, 24);
        tab = new QuickActionsTab(*store, &window);
        layout->addWidget(tab);
        window.resize(560, 720);
        window.show();
    }

    QStringList titles() const {
        QStringList names;
        for (QuickActionsCard* card : tab->cards())
            names << card->text();
        return names;
    }

    // What a new store over the same file reads for `kind`.
    bool storedEnabled(Kind kind) const {
        UserDefaults reread(defaults.filePath());
        QuickActionsStore again(reread);
        for (const QuickAction& action : again.actions()) {
            if (action.kind == kind)
                return action.enabled;
        }
        return false;
    }
};

} // namespace

class TestQuickActionsTab : public QObject {
    Q_OBJECT
private slots:
    void cardClickFlipsSubtitleAndStore_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("hidden");
        for (Kind kind : {Kind::muteMic, Kind::googleSearch})
            QTest::newRow(qPrintable(rawValue(kind))) << kind << "visible in basic mode."
                                                      << "hidden from basic mode.";
        // Basic mode never shows the focus button: its card does not claim otherwise.
        QTest::newRow("focus") << Kind::focus << "never shown in basic mode."
                               << "never shown in basic mode.";
    }

    // A click anywhere on a card flips it, in the store, on disk and on screen; focus included.
    void cardClickFlipsSubtitleAndStore() {
        QFETCH(Kind, kind);
        QFETCH(QString, shown);
        QFETCH(QString, hidden);
        Page page;
        QuickActionsCard* card = page.tab->card(kind);
        QCOMPARE(card->subtitle(), shown);
        QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(card->width() / 3, card->height() / 2));
        QCOMPARE(card->subtitle(), hidden);
        QVERIFY(!card->knob()->isOn());
        QVERIFY(!page.storedEnabled(kind));
        QTest::mouseClick(card, Qt::LeftButton, {}, card->knob()->geometry().center());
        QCOMPARE(card->subtitle(), shown);
        QVERIFY(page.storedEnabled(kind));
        QCOMPARE(page.tab->cards().size(), 8);
    }

    // The cards follow the stored order, and the store's changes from elsewhere.
    void cardsFollowTheStoredOrder() {
        Page page(R"([{"kind":"mirror","enabled":false},{"kind":"dnd","enabled":true}])");
        QCOMPARE(page.titles(), QStringList({"mirror", "notifications", "mute mic", "timer", "calculator",
                                             "google search", "apps", "focus"}));
        QCOMPARE(page.tab->cards().first()->subtitle(), QStringLiteral("hidden from basic mode."));
        QList<QuickAction> reordered = page.store->actions();
        std::reverse(reordered.begin(), reordered.end());
        page.store->setActions(reordered);
        QCOMPARE(page.titles().first(), QStringLiteral("focus"));
        QCOMPARE(page.titles().last(), QStringLiteral("mirror"));
    }

    void screenshots() {
        Page page;
        brimlark::test::saveScreenshot(&page.window, QStringLiteral("quick-actions-tab-all-shown"));
        for (QuickActionsCard* card : page.tab->cards())
            card->click();
        for (QuickActionsCard* card : page.tab->cards())
            QCOMPARE(card->subtitle(), card->kind() == QuickAction::Kind::focus
                                           ? QStringLiteral("never shown in basic mode.")
                                           : QStringLiteral("hidden from basic mode."));
        QVERIFY(page.store->enabledActions().isEmpty());
        QTest::qWait(BrimlarkTheme::quickEase().durationMs() + 100); // the knobs slide over
        brimlark::test::saveScreenshot(&page.window, QStringLiteral("quick-actions-tab-all-hidden"));
    }
};

BRIMLARK_TEST_MAIN(TestQuickActionsTab)
#include "tst_quickactionstab.moc"

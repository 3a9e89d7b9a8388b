#include "Brimlark/core/AppState.h"
#include "Brimlark/core/EnumText.h"
#include "platform/UserDefaults.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

class TestAppState : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init() {
        m_path = m_dir.filePath(QStringLiteral("defaults-%1.json").arg(QTest::currentTestFunction()));
        QFile::remove(m_path);
    }

    void freshStoreHoldsTheRegisteredDefaultsAndStaysEmpty() {
        UserDefaults store(m_path);
        AppState state(store);
        QCOMPARE(state.lastAdvancedPage(), 0);
        QCOMPARE(state.hoverToPeekEnabled(), true);
        QCOMPARE(state.hoverPeekDelay(), 0.1);
        QCOMPARE(state.defaultOpenMode(), AppState::DefaultOpenMode::basic);
        QCOMPARE(state.gesturesEnabled(), true);
        QCOMPARE(state.animationIntensity(), AppState::AnimationIntensity::standard);
        QCOMPARE(state.autoCycleFocusOnTimerStart(), false);
        QCOMPARE(state.useMaterialCards(), false);
        QCOMPARE(state.hookRulePreset(), AppState::HookRulePreset::focused);
        QCOMPARE(state.allowClaudeHookInstall(), false);
        QCOMPARE(state.allowCodexHookInstall(), false);
        QCOMPARE(state.showOtherHookClients(), true);
        QCOMPARE(state.notificationsMuted(), false);
        QCOMPARE(state.aiHooksStatusFilter(), AppState::AIHooksStatusFilter::all);
        QCOMPARE(state.aiHooksSourceFilter(), AppState::AIHooksSourceFilter::all);
        QCOMPARE(state.haloMode(), HaloMode::oneShot);
        QCOMPARE(state.haloOnMedia(), true);
        QCOMPARE(state.haloOnHooks(), true);
        QVERIFY(store.keys().isEmpty());
        QVERIFY(!QFile::exists(m_path));
    }

    void everyValueIsStoredInItsFormAndReadBack() {
        {
            UserDefaults store(m_path);
            AppState state(store);
            state.setLastAdvancedPage(4);
            state.setHoverToPeekEnabled(false);
            state.setHoverPeekDelay(0.35);
            state.setDefaultOpenMode(AppState::DefaultOpenMode::advanced);
            state.setGesturesEnabled(false);
            state.setAnimationIntensity(AppState::AnimationIntensity::expressive);
            state.setAutoCycleFocusOnTimerStart(true);
            state.setUseMaterialCards(true);
            state.setHookRulePreset(AppState::HookRulePreset::fullFeed);
            state.setAllowClaudeHookInstall(true);
            state.setAllowCodexHookInstall(true);
            state.setShowOtherHookClients(false);
            state.setNotificationsMuted(true);
            state.setAiHooksStatusFilter(AppState::AIHooksStatusFilter::asking);
            state.setAiHooksSourceFilter(AppState::AIHooksSourceFilter::codex);
            state.setHaloMode(HaloMode::ambient);
            state.setHaloOnMedia(false);
            state.setHaloOnHooks(false);
        }

        UserDefaults store(m_path);
        const auto stored = [&](const char* key) { return store.value(QString::fromLatin1(key)); };
        QCOMPARE(stored("brimlark.lastAdvancedPage").typeId(), int(QMetaType::LongLong));
        QCOMPARE(stored("brimlark.lastAdvancedPage").toInt(), 4);
        QCOMPARE(stored("brimlark.hoverToPeek"), QVariant(false));
        QCOMPARE(stored("brimlark.hoverPeekDelay"), QVariant(0.35));
        QCOMPARE(stored("brimlark.defaultOpenMode"), QVariant(QStringLiteral("advanced")));
        QVERIFY(!store.contains(QStringLiteral("brimlark.gesturesEnabled")));
        QCOMPARE(stored("brimlark.animationIntensity"), QVariant(QStringLiteral("expressive")));
        QCOMPARE(stored("brimlark.autoCycleFocusOnTimer"), QVariant(true));
        QCOMPARE(stored("brimlark.useMaterialCards"), QVariant(true));
        QCOMPARE(stored("brimlark.hookRulePreset"), QVariant(QStringLiteral("fullFeed")));
        QCOMPARE(stored("brimlark.allowClaudeHookInstall"), QVariant(true));
        QCOMPARE(stored("brimlark.allowCodexHookInstall"), QVariant(true));
        QCOMPARE(stored("brimlark.showOtherHookClients"), QVariant(false));
        QCOMPARE(stored("brimlark.notificationsMuted"), QVariant(true));
        QCOMPARE(stored("brimlark.aiHooksStatusFilter"), QVariant(QStringLiteral("asking")));
        QCOMPARE(stored("brimlark.aiHooksSourceFilter"), QVariant(QStringLiteral("codex")));
        QCOMPARE(stored("brimlark.haloMode"), QVariant(QStringLiteral("ambient")));
        QCOMPARE(stored("brimlark.haloOnMedia"), QVariant(false));
        QCOMPARE(stored("brimlark.haloOnHooks"), QVariant(false));
        QCOMPARE(store.keys(QStringLiteral("brimlark.")).size(), 17);

        AppState again(store);
        QCOMPARE(again.lastAdvancedPage(), 4);
        QCOMPARE(again.hoverToPeekEnabled(), false);
        QCOMPARE(again.hoverPeekDelay(), 0.35);
        QCOMPARE(again.defaultOpenMode(), AppState::DefaultOpenMode::advanced);
        QCOMPARE(again.gesturesEnabled(), true); // never written, so the default comes back
        QCOMPARE(again.animationIntensity(), AppState::AnimationIntensity::expressive);
        QCOMPARE(again.autoCycleFocusOnTimerStart(), true);
        QCOMPARE(again.useMaterialCards(), true);
        QCOMPARE(again.hookRulePreset(), AppState::HookRulePreset::fullFeed);
        QCOMPARE(again.allowClaudeHookInstall(), true);
        QCOMPARE(again.allowCodexHookInstall(), true);
        QCOMPARE(again.showOtherHookClients(), false);
        QCOMPARE(again.notificationsMuted(), true);
        QCOMPARE(again.aiHooksStatusFilter(), AppState::AIHooksStatusFilter::asking);
        QCOMPARE(again.aiHooksSourceFilter(), AppState::AIHooksSourceFilter::codex);
        QCOMPARE(again.haloMode(), HaloMode::ambient);
        QCOMPARE(again.haloOnMedia(), false);
        QCOMPARE(again.haloOnHooks(), false);
    }

    void storedEnumerationTextIsMappedToACase_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("known intensity") << "brimlark.animationIntensity"
                                         << "expressive"
                                         << "expressive";
        QTest::newRow("unknown halo") << "brimlark.haloMode"
                                      << "sparkle"
                                      << "oneShot";
        QTest::newRow("wrong case halo") << "brimlark.haloMode"
                                         << "Ambient"
                                         << "oneShot";
        QTest::newRow("qualified name") << "brimlark.haloMode"
                                        << "HaloMode::ambient"
                                        << "oneShot";
        QTest::newRow("unknown open mode") << "brimlark.defaultOpenMode"
                                           << ""
                                           << "basic";
        QTest::newRow("unknown preset") << "brimlark.hookRulePreset"
                                        << "loud"
                                        << "focused";
        QTest::newRow("unknown status filter") << "brimlark.aiHooksStatusFilter"
                                               << "idle"
                                               << "all";
        QTest::newRow("unknown source filter") << "brimlark.aiHooksSourceFilter"
                                               << "gemini"
                                               << "all";
    }
    void storedEnumerationTextIsMappedToACase() {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        UserDefaults store(m_path);
        store.setString(key, text);
        AppState state(store);
        const QMetaProperty property = [&] {
            const QMetaObject* meta = state.metaObject();
            for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
                const QString name = QString::fromLatin1(meta->property(i).name());
                if (key.endsWith(QLatin1Char('.') + name))
                    return meta->property(i);
            }
            return QMetaProperty();
        }();
        QVERIFY(property.isValid());
        QCOMPARE(QString::fromLatin1(property.enumerator().valueToKey(property.read(&state).toInt())),
                 expected);
        // Reading never rewrites what the user stored.
        QCOMPARE(store.string(key).value_or(QStringLiteral("<none>")), text);
    }

    void everyAssignmentWritesEvenWhenUnchanged() {
        UserDefaults store(m_path);
        AppState state(store);
        QSignalSpy writes(&store, &UserDefaults::valueChanged);
        QSignalSpy published(&state, &AppState::lastAdvancedPageChanged);
        state.setLastAdvancedPage(0);
        state.setLastAdvancedPage(0);
        QCOMPARE(writes.count(), 2);
        QCOMPARE(published.count(), 2);
        QVERIFY(store.contains(QStringLiteral("brimlark.lastAdvancedPage")));

        state.setGesturesEnabled(false);
        QCOMPARE(writes.count(), 2);
        QCOMPARE(state.gesturesEnabled(), false);
    }

    // The page is written when paging pauses, not at every page; a quit right after paging still
    // keeps it for the next start.
    void lastPageSurvivesAQuitRightAfterPaging() {
        UserDefaults store(m_path);
        AppState state(store);
        for (int page = 1; page <= 4; ++page)
            state.setLastAdvancedPage(page);
        QVERIFY(!QFile::exists(m_path));
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCOMPARE(QCoreApplication::exec(), 0);
        UserDefaults restarted(m_path);
        QCOMPARE(AppState(restarted).lastAdvancedPage(), 4);
    }

    void unreadableStoreFallsBackToDefaults() {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"brimlark.haloMode\": \"ambient\", oops");
        file.close();
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("could not be parsed")));
        UserDefaults store(m_path);
        AppState state(store);
        QCOMPARE(state.haloMode(), HaloMode::oneShot);
        QVERIFY(QFile::exists(store.quarantinedPath()));
    }

    void enumerationCasesAreInDeclaredOrder() {
        QCOMPARE(rawValue(AppState::HookRulePreset::approvalsOnly), QStringLiteral("approvalsOnly"));
        QCOMPARE(allCases<HaloMode>(), (QList<HaloMode>{HaloMode::off, HaloMode::oneShot,
                                                        HaloMode::persistent, HaloMode::ambient}));
        QCOMPARE(allCases<AppState::AIHooksSourceFilter>().size(), 4);
        QCOMPARE(allCases<AppState::AIHooksStatusFilter>().size(), 5);
    }
};

BRIMLARK_TEST_MAIN(TestAppState)
#include "tst_appstate.moc"

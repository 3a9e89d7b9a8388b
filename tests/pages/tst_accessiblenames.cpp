#include "Brimlark/aihooks/views/AIHooksCheckRow.h"
#include "Brimlark/controls/MediaRemoteBridge.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/organizer/NotesService.h"
#include "Brimlark/organizer/NotesView.h"
#include "Brimlark/organizer/RemindersView.h"
#include "Brimlark/pages/BasicMediaPane.h"
#include "Brimlark/pages/PageIndicator.h"
#include "Brimlark/quickactions/InlineCalculatorPopover.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/quickactions/QuickActionsCard.h"
#include "Brimlark/settings/SettingsToggleRow.h"
#include "Brimlark/surface/GlowTriggerRow.h"
#include "tests/support/RemindersFixture.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <memory>

Q_DECLARE_METATYPE(QAccessible::Role)

// What a screen reader gets from the panel and the settings, read through QAccessible as the
// desktop's bridge reads it: roles, names and the checked state.
class TestAccessibleNames : public QObject {
    Q_OBJECT
private:
    ServiceFixture m_services;
    RemindersFixture m_reminders;
    std::unique_ptr<QWidget> m_host;

    // The widget `subject` names, built in a fresh host.
    QWidget* build(const QString& subject) {
        m_host = std::make_unique<QWidget>();
        QWidget* host = m_host.get();
        if (subject.startsWith(QLatin1String("page dot"))) {
            QList<AdvancedPage> pages;
            for (int i = 0; i < AdvancedPages::pageCount; ++i)
                pages.append(static_cast<AdvancedPage>(i));
            auto* dots = new PageIndicator(pages, 0, {}, 5, 16, 8, host);
            dots->setCurrent(2);
            return dots->dots().at(subject.endsWith(QLatin1String("current")) ? 2 : 3);
        }
        if (subject == QLatin1String("quick action shown"))
            return new QuickActionsCard(QuickAction{QuickAction::Kind::timer, true}, host);
        if (subject == QLatin1String("quick action hidden")) {
            auto* card = new QuickActionsCard(QuickAction{QuickAction::Kind::timer, true}, host);
            card->setShown(false, false);
            return card;
        }
        if (subject == QLatin1String("glow trigger"))
            return new GlowTriggerRow(QStringLiteral("music.note"),
                                      QStringLiteral("new media starts playing"),
                                      QStringLiteral("glow when a track starts"), true, host);
        if (subject.startsWith(QLatin1String("settings toggle"))) {
            auto* row = new SettingsToggleRow(QStringLiteral("open the notch on hover"),
                                              QStringLiteral("peek on pointer approach."), false, host);
            row->setOn(subject.endsWith(QLatin1String("on")), false);
            return row;
        }
        if (subject == QLatin1String("hook clients")) {
            auto* row = new AIHooksCheckRow(QStringLiteral("include other local tools"), host);
            row->setOn(true);
            row->setOn(false);
            return row;
        }
        if (subject == QLatin1String("notes editor"))
            return (new NotesView(m_services.notes, nullptr, host))->editor();
        if (subject == QLatin1String("calculator field"))
            return (new InlineCalculatorPopover(QString(), QString(), {}, host))->field();
        if (subject == QLatin1String("mute without microphone")) {
            auto* button = new QuickActionButton(QuickAction::Kind::muteMic, host);
            button->setProblem(QStringLiteral("no microphone found"));
            return button;
        }
        auto* view =
            new RemindersView(m_reminders.service, m_reminders.coordinator, &m_reminders.clock, host);
        host->show();
        (void)QTest::qWaitFor([view] { return view->findChild<QWidget*>(QStringLiteral("reminderRow")); },
                              2000);
        if (subject == QLatin1String("quick add"))
            return view->findChild<QLineEdit*>(QStringLiteral("quickAdd"));
        return view->findChild<QWidget*>(QStringLiteral("reminderRow"));
    }

private slots:
    void initTestCase() {
        m_reminders.add(QStringLiteral("r1"), QStringLiteral("Buy milk"), RemindersFixture::local(17, 0));
    }

    void namesAndStates_data() {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<bool>("checked");
        using R = QAccessible::Role;
        QTest::newRow("current page dot") << "page dot current" << R::CheckBox << "reminders"
                                          << "selected" << true << true;
        QTest::newRow("other page dot") << "page dot other" << R::CheckBox << "apps"
                                        << "" << true << false;
        QTest::newRow("quick action shown") << "quick action shown" << R::CheckBox << "timer"
                                            << "visible in basic mode." << true << true;
        QTest::newRow("quick action hidden") << "quick action hidden" << R::CheckBox << "timer"
                                             << "hidden from basic mode." << true << false;
        QTest::newRow("glow trigger") << "glow trigger" << R::CheckBox << "new media starts playing"
                                      << "" << true << true;
        QTest::newRow("hook clients") << "hook clients" << R::CheckBox << "include other local tools"
                                      << "" << true << false;
        QTest::newRow("settings toggle on")
            << "settings toggle on" << R::CheckBox << "open the notch on hover"
            << "" << true << true;
        QTest::newRow("settings toggle off")
            << "settings toggle off" << R::CheckBox << "open the notch on hover"
            << "" << true << false;
        QTest::newRow("notes editor") << "notes editor" << R::EditableText << "note"
                                      << "" << false << false;
        // A field's description is its placeholder.
        QTest::newRow("calculator field") << "calculator field" << R::EditableText << "calculation"
                                          << "2+2" << false << false;
        QTest::newRow("mute without microphone") << "mute without microphone" << R::CheckBox << "mute mic"
                                                 << "no microphone found" << true << false;
        QTest::newRow("reminders quick add") << "quick add" << R::EditableText << "quick add a reminder"
                                             << "quick add a reminder\u2026" << false << false;
    }

    void namesAndStates() {
        QFETCH(QString, subject);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(bool, checkable);
        QFETCH(bool, checked);
        QWidget* widget = build(subject);
        QVERIFY(widget);
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(read);
        QCOMPARE(read->role(), role);
        QCOMPARE(read->text(QAccessible::Name), name);
        QCOMPARE(read->text(QAccessible::Description), description);
        QCOMPARE(bool(read->state().checkable), checkable);
        QCOMPARE(bool(read->state().checked), checked);
        // Pressing a check box or a page dot changes nothing by itself: the state stays the model's.
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->click();
            QCOMPARE(bool(read->state().checked), checked);
        }
    }

    // A text broken into lines only to fit its column is read as one line.
    void wrappedTextsAreReadWhole() {
        MediaRemoteBridge bridge;
        MediaService media(bridge, &m_services.clock);
        BasicMediaPane pane(m_services.timer, media, {}, {}, {}, &m_services.clock);
        pane.resize(150, 176);
        pane.show();
        QCoreApplication::processEvents();
        bool sawBreak = false;
        for (QLabel* label : pane.findChildren<QLabel*>()) {
            sawBreak = sawBreak || label->text().contains(QLatin1Char('\n'));
            const QString read = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
            QVERIFY2(!read.contains(QLatin1Char('\n')), qPrintable(read));
        }
        QVERIFY(sawBreak);
    }
};

BRIMLARK_TEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"

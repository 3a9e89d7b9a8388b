#include "Brimlark/core/EnumText.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/quickactions/QuickActionsRow.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QAccessible>
#include <QEvent>

namespace {

using Kind = QuickAction::Kind;

QList<QuickAction> everyAction() {
    return QuickAction::defaultList();
}

// The row in a plain black host, as basic mode will hold it.
struct Host {
    QWidget window;
    QuickActionsRow* row;
    QList<Kind> taps;

    explicit Host(const QSet<Kind>& active = {}) {
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
        window.setPalette(palette);
        row = new QuickActionsRow(
            everyAction(), active, [this](Kind kind) { taps.append(kind); }, &window);
        row->move(12, 12);
        row->resize(row->sizeHint());
        window.resize(row->width() + 24, row->height() + 24);
        window.show();
    }

    QImage image() {
        QImage canvas(window.size(), QImage::Format_ARGB32_Premultiplied);
        window.render(&canvas);
        return canvas;
    }

    // A point 3 pixels below `kind`'s disc, inside the row's padding, in window coordinates.
    QPoint belowDisc(Kind kind) const {
        const QuickActionButton* button = row->button(kind);
        return row->mapTo(&window,
                          button->geometry().center() + QPoint(0, QuickActionButton::diameter / 2 + 3));
    }
};

void send(QWidget* widget, QEvent::Type type) {
    QEvent event(type);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestQuickActionsRow : public QObject {
    Q_OBJECT
private slots:
    void tapsReportTheirKindOnce_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("taps");
        for (Kind kind : allCases<Kind>())
            QTest::newRow(qPrintable(rawValue(kind))) << kind << (kind == Kind::focus ? 0 : 1);
    }

    // Every button reports its own kind once per click; the dimmed focus button reports nothing.
    void tapsReportTheirKindOnce() {
        QFETCH(Kind, kind);
        QFETCH(int, taps);
        Host host({kind});
        QuickActionButton* button = host.row->button(kind);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        QCOMPARE(host.taps, QList<Kind>(taps, kind));
        // A click on the corner of its square, off the round button, is no tap.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(host.taps.size(), taps);
    }

    void activeKindsGlowButFocusNever_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("glows");
        QTest::newRow("muteMic on") << Kind::muteMic << true << true;
        QTest::newRow("dnd on") << Kind::dnd << true << true;
        QTest::newRow("dnd off") << Kind::dnd << false << false;
        QTest::newRow("focus on") << Kind::focus << true << false;
    }

    // The glow shows as the kind's colour just outside the disc, where the row is otherwise bare.
    void activeKindsGlowButFocusNever() {
        QFETCH(Kind, kind);
        QFETCH(bool, active);
        QFETCH(bool, glows);
        Host host(active ? QSet<Kind>{kind} : QSet<Kind>{});
        Host bare;
        const QColor lit = host.image().pixelColor(host.belowDisc(kind));
        const QColor plain = bare.image().pixelColor(bare.belowDisc(kind));
        const int lift = std::abs(lit.red() - plain.red()) + std::abs(lit.green() - plain.green()) +
                         std::abs(lit.blue() - plain.blue());
        QVERIFY2(glows ? lift > 30 : lift == 0, qPrintable(QString::number(lift)));
        QCOMPARE(host.row->button(kind)->isChecked(), active);
    }

    // The bell's title names what it mutes: a screen reader hears "mute notifications" and the
    // checked state says whether they are muted; the tooltip says what the state means.
    void theBellSaysWhatItsStateMeans_data() {
        QTest::addColumn<bool>("muted");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("notifications on") << false << "mute notifications";
        QTest::newRow("notifications muted") << true << "Brimlark's notifications are muted";
    }
    void theBellSaysWhatItsStateMeans() {
        QFETCH(bool, muted);
        QFETCH(QString, toolTip);
        Host host(muted ? QSet<Kind>{} : QSet<Kind>{Kind::dnd});
        host.row->setActiveKinds(muted ? QSet<Kind>{Kind::dnd} : QSet<Kind>{});
        QuickActionButton* bell = host.row->button(Kind::dnd);
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(bell);
        QVERIFY(read);
        QCOMPARE(read->text(QAccessible::Name), QStringLiteral("mute notifications"));
        QVERIFY(read->state().checkable);
        QCOMPARE(bool(read->state().checked), muted);
        QCOMPARE(bell->toolTip(), toolTip);
        QCOMPARE(bell->symbolName(), QStringLiteral("bell.slash.fill"));
    }

    // Entering the next button before leaving the last keeps the next one highlighted.
    void hoverHandsOverBetweenButtons() {
        Host host;
        QuickActionButton* a = host.row->button(Kind::timer);
        QuickActionButton* b = host.row->button(Kind::calculator);
        send(a, QEvent::Enter);
        QCOMPARE(host.row->hovering(), Kind::timer);
        send(b, QEvent::Enter);
        send(a, QEvent::Leave);
        QCOMPARE(host.row->hovering(), Kind::calculator);
        QVERIFY(b->isHovered());
        QVERIFY(!a->isHovered());
        send(b, QEvent::Leave);
        QCOMPARE(host.row->hovering(), std::nullopt);
    }

    // Only the mirror's symbol follows its state; a kind that is not in the row changes nothing.
    void mirrorSymbolFillsWhileActive() {
        Host host;
        QuickActionButton* mirror = host.row->button(Kind::mirror);
        QCOMPARE(mirror->symbolName(), QStringLiteral("person.crop.rectangle"));
        host.row->setActiveKinds({Kind::mirror, Kind::timer});
        QCOMPARE(mirror->symbolName(), QStringLiteral("person.crop.rectangle.fill"));
        QCOMPARE(host.row->button(Kind::timer)->symbolName(), QStringLiteral("timer"));
        host.row->setActions({{Kind::dnd, true}});
        host.row->setActiveKinds({Kind::mirror});
        QCOMPARE(host.row->buttons().size(), 1);
        QVERIFY(!host.row->buttons().first()->isActive());
    }

    void screenshot() {
        QList<QuickAction> seven = everyAction();
        seven.removeLast();
        Host host({Kind::muteMic, Kind::mirror});
        host.row->setActions(seven);
        host.row->resize(host.row->sizeHint());
        send(host.row->button(Kind::calculator), QEvent::Enter);
        QTest::qWait(BrimlarkTheme::quickEase().durationMs() + 400); // hover fade and bounce settle
        brimlark::test::saveScreenshot(&host.window, QStringLiteral("quick-actions-row"));
        Host empty;
        empty.row->setActions({});
        empty.row->resize(empty.row->sizeHint());
        QCOMPARE(empty.row->sizeHint(), QSize(28, 56));
    }
};

BRIMLARK_TEST_MAIN(TestQuickActionsRow)
#include "tst_quickactionsrow.moc"

#include "Brimlark/controls/TimerPickerPopover.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "platform/fake/FakeNotifications.h"
#include "tests/support/Screenshot.h"
#include "tests/support/StateFixture.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QVBoxLayout>

// The picker in a plain dark host, as the panel's basic mode will hold it.
class TestTimerPickerPopover : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<StateFixture> f;
    std::unique_ptr<FakeNotifications> fake;
    std::unique_ptr<TimerService> timer;
    std::unique_ptr<QWidget> host;
    TimerPickerPopover* picker = nullptr;
    int picks = 0;

    QAbstractButton* button(const QString& accessibleName) const {
        const QList<QAbstractButton*> buttons = picker->findChildren<QAbstractButton*>();
        for (QAbstractButton* candidate : buttons)
            if (candidate->accessibleName() == accessibleName)
                return candidate;
        return nullptr;
    }

private slots:
    void init() {
        f = std::make_unique<StateFixture>();
        fake = std::make_unique<FakeNotifications>();
        timer = std::make_unique<TimerService>(f->appState, fake.get(), &f->clock);
        host = std::make_unique<QWidget>();
        host->setAutoFillBackground(true);
        QPalette palette = host->palette();
        palette.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
        host->setPalette(palette);
        auto* layout = new QVBoxLayout(host.get());
        layout->setContentsMargins(12, 10, 12, 10);
        picks = 0;
        picker = new TimerPickerPopover(
            *timer, [this] { ++picks; }, host.get());
        layout->addWidget(picker, 0, Qt::AlignCenter);
        host->adjustSize();
    }
    void cleanup() {
        host.reset();
        timer.reset();
        fake.reset();
        f.reset();
    }

    void eachButtonStartsItsLengthOnce_data() {
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("seconds");
        QTest::newRow("15m") << "Start 15 minute timer"
                             << "15m" << 900.0;
        QTest::newRow("30m") << "Start 30 minute timer"
                             << "30m" << 1800.0;
        QTest::newRow("60m") << "Start 60 minute timer"
                             << "60m" << 3600.0;
    }
    void eachButtonStartsItsLengthOnce() {
        QFETCH(QString, accessibleName);
        QFETCH(QString, label);
        QFETCH(double, seconds);
        QAbstractButton* length = button(accessibleName);
        QVERIFY(length);
        QCOMPARE(length->text(), label);

        QSignalSpy starts(timer.get(), &TimerService::activeChanged);
        QTest::mouseClick(length, Qt::LeftButton);
        QCOMPARE(starts.count(), 1);
        QVERIFY(timer->active());
        QCOMPARE(timer->active()->total, seconds);
        QCOMPARE(picks, 1);
        QCoreApplication::processEvents();
        // Asked on every pick, then scheduled under the now known permission.
        QCOMPARE(fake->authorizationRequests, 1);
        QVERIFY(timer->notifyAuthorized());
        QCOMPARE(fake->added.size(), 1);
    }

    void aPickWhileATimerRunsReplacesIt() {
        timer->start(600);
        QCoreApplication::processEvents();
        const QUuid running = timer->active()->id;
        QTest::mouseClick(button(QStringLiteral("Start 30 minute timer")), Qt::LeftButton);
        QVERIFY(timer->active()->id != running);
        QCOMPARE(timer->active()->total, 1800.0);
        QCOMPARE(fake->removedPending, QStringList({running.toString(QUuid::WithoutBraces).toUpper()}));
        QCOMPARE(picks, 1);
    }

    void looksLikeARowOfCapsules() {
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
        // One line, shortest first.
        const QAbstractButton* shortest = button(QStringLiteral("Start 15 minute timer"));
        const QAbstractButton* middle = button(QStringLiteral("Start 30 minute timer"));
        const QAbstractButton* longest = button(QStringLiteral("Start 60 minute timer"));
        QVERIFY(shortest->geometry().right() < middle->x() && middle->geometry().right() < longest->x());
        QCOMPARE(middle->geometry().center().y(), shortest->geometry().center().y());
        brimlark::test::saveScreenshot(host.get(), QStringLiteral("timer-picker"));
    }
};

BRIMLARK_TEST_MAIN(TestTimerPickerPopover)
#include "tst_timerpickerpopover.moc"

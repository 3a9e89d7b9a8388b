#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/quickactions/InlineCalculatorPopover.h"
#include "Brimlark/quickactions/InlinePopoverButton.h"
#include "Brimlark/quickactions/InlineSearchPopover.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// A dark window holding one popover, as basic mode will.
struct Host {
    QWidget window;

    Host() {
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
        window.setPalette(palette);
        new QVBoxLayout(&window);
        window.layout()->setContentsMargins(16, 16, 16, 16);
        window.resize(420, 120);
    }

    void hold(QWidget* popover) {
        window.layout()->addWidget(popover);
        window.show();
        window.activateWindow();
    }
};

void typeLine(QLineEdit* field, const QString& text) {
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

} // namespace

class TestInlinePopovers : public QObject {
    Q_OBJECT
private slots:
    void calculatorAnswersOnSubmit_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("byEquals");
        QTest::addColumn<QString>("answer");
        QTest::newRow("return") << "2+2" << false << "4";
        QTest::newRow("equals button") << "2+2" << true << "4";
        QTest::newRow("error") << "(2+3" << false << "missing closing parenthesis";
        QTest::newRow("emptied field") << "" << false << "";
        QTest::newRow("white space") << "   " << true << "";
    }

    // Return and "=" work the line out; typing alone keeps the last answer; an emptied line hides
    // the answer line.
    void calculatorAnswersOnSubmit() {
        QFETCH(QString, line);
        QFETCH(bool, byEquals);
        QFETCH(QString, answer);
        Host host;
        int closed = 0;
        auto* popover =
            new InlineCalculatorPopover(QStringLiteral("7/2"), QStringLiteral("3.5"), [&] { ++closed; });
        host.hold(popover);
        QVERIFY(popover->answerLine()->isVisible());
        typeLine(popover->field(), line);
        QCOMPARE(popover->expression(), line);
        QCOMPARE(popover->result(), QStringLiteral("3.5"));
        if (byEquals)
            QTest::mouseClick(popover->equalsButton(), Qt::LeftButton);
        else
            QTest::keyClick(popover->field(), Qt::Key_Return);
        QCOMPARE(popover->result(), answer);
        QCOMPARE(popover->answerLine()->text(), answer);
        QCOMPARE(popover->answerLine()->isVisible(), !answer.isEmpty());
        QCOMPARE(popover->expression(), line); // never changed by working it out
        QTest::mouseClick(popover->closeButton(), Qt::LeftButton);
        QCOMPARE(closed, 1);
    }

    // Each card puts the text cursor in its field as soon as it is shown.
    void cardsTakeTheFocusWhenShown() {
        Host host;
        auto* calculator = new InlineCalculatorPopover(QString(), QString(), {});
        auto* search = new InlineSearchPopover(QString(), {}, {});
        search->hide();
        host.hold(calculator);
        host.window.layout()->addWidget(search);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        QTRY_VERIFY(calculator->field()->hasFocus());
        calculator->hide();
        search->show();
        QTRY_VERIFY(search->field()->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("qt docs"));
        QCOMPARE(search->query(), QStringLiteral("qt docs"));
    }

    // Return and the send button each hand the query over once; close only closes.
    void searchSubmitsAndCloses() {
        Host host;
        int submitted = 0;
        int closed = 0;
        auto* search = new InlineSearchPopover(
            QStringLiteral("two words"), [&] { ++submitted; }, [&] { ++closed; });
        host.hold(search);
        QTest::keyClick(search->field(), Qt::Key_Return);
        QCOMPARE(submitted, 1);
        QTest::mouseClick(search->sendButton(), Qt::LeftButton);
        QCOMPARE(submitted, 2);
        QTest::mouseClick(search->closeButton(), Qt::LeftButton);
        QCOMPARE(closed, 1);
        QCOMPARE(submitted, 2);
        QCOMPARE(search->query(), QStringLiteral("two words"));
    }

    void screenshots() {
        {
            Host host;
            auto* calculator = new InlineCalculatorPopover(QStringLiteral("2+2"), QString(), {});
            host.hold(calculator);
            calculator->evaluateCalculatorExpression();
            host.window.adjustSize();
            brimlark::test::saveScreenshot(&host.window, QStringLiteral("inline-calculator-answer"));
        }
        {
            Host host;
            auto* calculator = new InlineCalculatorPopover(QStringLiteral("2(3)"), QString(), {});
            host.hold(calculator);
            calculator->evaluateCalculatorExpression();
            host.window.adjustSize();
            brimlark::test::saveScreenshot(&host.window, QStringLiteral("inline-calculator-error"));
        }
        {
            Host host;
            host.hold(new InlineSearchPopover(QString(), {}, {}));
            host.window.adjustSize();
            brimlark::test::saveScreenshot(&host.window, QStringLiteral("inline-search"));
        }
    }
};

BRIMLARK_TEST_MAIN(TestInlinePopovers)
#include "tst_inlinepopovers.moc"
